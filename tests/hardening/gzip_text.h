// A text compressed as gzip data, as a compressed document file holds it.
#pragma once

#include <string>

namespace orvel {
namespace test {

std::string Gzip(const std::string& text);

}  // namespace test
}  // namespace orvel
