#pragma once
// The bytes of a saved view.
//
// The view is saved in the system's ANSI code page, line breaks as they stand, no byte-order
// mark, whenever the whole text converts to that code page and back unchanged. When it does not
// (a character the code page lacks would be written as a best-fit look-alike or a "?"), the file
// is written as UTF-8 with a byte-order mark instead, so that nothing the user saw is lost.

#include <string>
#include <string_view>

namespace orsk {

// A narrow character set and the platform's standard conversions to and from it.
class NarrowCodePage {
public:
    virtual ~NarrowCodePage() = default;
    // Characters the code page lacks become its best-fit or default characters.
    virtual std::string Narrow(std::u16string_view text) const = 0;
    virtual std::u16string Widen(std::string_view bytes) const = 0;
};

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::string EncodeSavedFile(std::u16string_view viewText, const NarrowCodePage& ansiCodePage);

class TextArea;

// The file a view is saved to.
class SavedFile {
public:
    virtual ~SavedFile() = default;
    // Creates the file, or empties an existing one; throws when it cannot.
    virtual void Create() = 0;
    // Writes all of `bytes`; throws when it cannot.
    virtual void Write(std::string_view bytes) = 0;
};

// Saves the view's text to `file`. The text is read and encoded before the file is created, so
// that a failure on the way (memory, above all, with a large view) leaves an existing file whole.
void SaveView(const TextArea& view, const NarrowCodePage& ansiCodePage, SavedFile& file);

}  // namespace orsk
