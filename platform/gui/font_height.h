#pragma once

namespace plat {

class TControl;

// Keeps a one-line control's height at its font's line height + 8 until the
// program sets a height itself.
class TFontHeight {
public:
    // Sets the height unless the program set one.
    void Apply(TControl& control);
    // Call from BoundsChanged: a height change not made by Apply, once it
    // ran, is the program's.
    void NoteBoundsChanged(const TControl& control);

private:
    bool setByProgram_ = false;
    bool applying_ = false;
    int applied_ = -1;
};

} // namespace plat
