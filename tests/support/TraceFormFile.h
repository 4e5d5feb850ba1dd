#pragma once
// window/OrskTraceFrm.form, the description the trace window is built from, for the tests that
// check behaviour against the real window.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "window/form/FormDescription.h"

namespace orsk {

inline FormDescription LoadTraceForm() {
    const std::filesystem::path path =
        std::filesystem::path(__FILE__).parent_path() / "../../window/OrskTraceFrm.form";
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream text;
    text << in.rdbuf();
    return ParseFormDescription(text.str());
}

}  // namespace orsk
