// The test program as a helper of a test in another process (a second writer of a file): started with
// "--helper <mode> <arguments...>", it runs the mode's function instead of the tests and ends with its
// result. A test file declares its mode at namespace scope: `const HelperMode writer("name", Main);`.
#ifndef PRODLE_TESTS_SUPPORT_HELPER_MODE_H
#define PRODLE_TESTS_SUPPORT_HELPER_MODE_H

#include <optional>
#include <string>
#include <vector>

class HelperMode {
public:
    using Main = int (*)(const std::vector<std::string>& arguments);
    HelperMode(const char* name, Main main);

    // The result of the mode the command line asks for; nothing for a run of the tests.
    static std::optional<int> Run(int argc, char** argv);
};

#endif
