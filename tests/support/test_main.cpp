// Entry point of every test executable (the programs are built with -municode, so wmain).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/text_encoding.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(vonu::WideToUtf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    int count = argc;
    testing::InitGoogleTest(&count, pointers.data());
    return RUN_ALL_TESTS();
}
