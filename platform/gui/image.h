#pragma once

#include "platform/gui/graphic_control.h"
#include "platform/gui/picture.h"

namespace plat {

class TCanvas;

// Shows the picture it holds, as it is at each paint: a picture loaded
// again in place shows at once.
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    const char* ClassName() const override { return "TImage"; }

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Center() const { return center_; }
    void SetCenter(bool center);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool stretch);
    bool Proportional() const { return proportional_; }
    void SetProportional(bool proportional);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    // The picture's bitmap to draw on; an empty picture becomes a white
    // bitmap of the image's size first.
    TCanvas& Canvas();

    void Paint(TCanvas& canvas) override;

private:
    void PictureChanged();
    TRect DestinationRect() const;

    TPicture picture_;
    bool autoSize_ = false;
    bool center_ = false;
    bool stretch_ = false;
    bool proportional_ = false;
    bool transparent_ = false;
};

} // namespace plat
