#pragma once
// The system's ANSI code page with the platform's standard conversions (best-fit and default
// characters where the code page lacks one).

#include "window/view/SavedFileEncoding.h"

namespace orsk {

class Win32AnsiCodePage final : public NarrowCodePage {
public:
    std::string Narrow(std::u16string_view text) const override;
    std::u16string Widen(std::string_view bytes) const override;
};

}  // namespace orsk
