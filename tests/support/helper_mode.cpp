#include "support/helper_mode.h"

#include <map>

namespace {

std::map<std::string, HelperMode::Main>& Modes()
{
    static std::map<std::string, HelperMode::Main> modes;
    return modes;
}

}  // namespace

HelperMode::HelperMode(const char* name, Main main)
{
    Modes()[name] = main;
}

std::optional<int> HelperMode::Run(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) != "--helper")
        return std::nullopt;
    const auto mode = Modes().find(argv[2]);
    return mode == Modes().end() ? 2 : mode->second(std::vector<std::string>(argv + 3, argv + argc));
}
