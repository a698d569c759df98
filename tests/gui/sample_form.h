#pragma once

#include "platform/gui/bevel.h"
#include "platform/gui/form.h"
#include "platform/gui/gradient.h"
#include "platform/gui/image.h"
#include "platform/gui/label.h"
#include "platform/gui/panel.h"
#include "platform/gui/shape.h"

#include <string>

namespace plat {

// A form with one of each control, for the golden image and the screen test.
struct SampleForm {
    SampleForm()
    {
        form.reset(new TForm);
        form->SetCaption("Sample");
        form->SetBounds(40, 30, 240, 160);
        form->SetColor(clWhite);
        panel = new TPanel(form.get());
        panel->SetBounds(8, 8, 120, 30);
        panel->SetColor(0x00C3FF);
        panel->SetCaption("Panel & caption");
        panel->Font().SetName("Arial");
        panel->SetParent(form.get());
        const char* families[] = {"Roboto Condensed", "Arial", "Tahoma"};
        for (int i = 0; i < 3; ++i) {
            auto* label = new TLabel(form.get());
            label->SetBounds(8, 46 + 20 * i, 0, 0);
            label->Font().SetName(families[i]);
            label->Font().SetSize(9 + i);
            label->SetCaption(std::string(families[i]) + " \x8A\xE8 Aa 0.5");
            label->SetTransparent(true);
            label->SetParent(form.get());
        }
        auto* image = new TImage(form.get());
        image->SetBounds(140, 8, 20, 16);
        image->SetStretch(true);
        image->Picture().LoadFromFile(DALMORA_TEST_DATA_DIR "sample.gif");
        image->SetParent(form.get());
        auto* shape = new TShape(form.get());
        shape->SetBounds(170, 8, 30, 20);
        shape->SetPen(TPen{clBlue, 1, TPenStyle::psSolid});
        shape->SetBrush(TBrush{clYellow, TBrushStyle::bsSolid});
        shape->SetParent(form.get());
        gradient = new TJvGradient(form.get());
        gradient->SetBounds(140, 40, 90, 50);
        gradient->SetColors(0xFBFBFB, 0xC4D3DC);
        gradient->SetParent(form.get());
        auto* bevel = new TBevel(form.get());
        bevel->SetShape(TBevelShape::bsTopLine);
        bevel->SetBounds(8, 120, 220, 2);
        bevel->SetParent(form.get());
    }

    TOwned<TForm> form;
    TPanel* panel = nullptr;
    TJvGradient* gradient = nullptr;
};

} // namespace plat
