// placeholder until this file is written
namespace orvel {}
