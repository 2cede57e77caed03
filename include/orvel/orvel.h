// Everything a host needs to drive an Orvel XML module.
#pragma once

#include "orvel/component.h"
#include "orvel/constants.h"
#include "orvel/exports.h"
#include "orvel/xml_component.h"
