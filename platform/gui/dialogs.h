#pragma once

#include <cstdint>
#include <string>

namespace plat {

class TFont;

// Message box flags and answers, by the numbers the program uses.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// A modal box with the plain text, the buttons "OK" or "Ano" and "Ne", and
// an icon by the flags. Main thread only: a worker posts it with
// RunOnMainThread and never waits for the answer. With nobody to ask (the
// offscreen platform) it returns the safe answer at once (IDOK, or IDNO for
// Yes/No) and logs one line.
int MessageBox(const std::string& text, const std::string& caption, uint32_t flags);

// The font chooser, starting from `font`; true and the font changed when the
// user confirmed. With nobody to ask it returns false and logs one line.
class FontDialog {
public:
    static bool Execute(TFont& font);
};

} // namespace plat
