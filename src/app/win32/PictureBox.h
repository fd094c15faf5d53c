#pragma once
// The record dialog's picture: a scroll box whose one child is the picture,
// sized to the image. The picture's place inside the box is set from outside
// (the dialog's logic centres it); when the picture is larger than the box in
// a direction, the box shows a scroll bar in that direction and moves the
// picture as it scrolls.
#include <windows.h>

#include <optional>

#include "app/win32/Window.h"
#include "paste/Image.h"

namespace tembric::app::win32 {

// The picture itself: paints its image at its top left corner.
class PictureControl final : public Window {
 public:
  void CreateIn(HWND parent);
  void SetImage(std::optional<paste::DecodedImage> image);
  const std::optional<paste::DecodedImage>& Image() const { return image_; }

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  std::optional<paste::DecodedImage> image_;
};

class PictureBox final : public Window {
 public:
  // Creates the box (class "TembricScrollBox") with the picture
  // ("TembricPicture") inside `parent`.
  void CreateIn(HWND parent);
  HWND PictureHwnd() const { return picture_.Hwnd(); }

  // The image to show; none shows an empty picture of no size.
  void SetImage(std::optional<paste::DecodedImage> image);
  const std::optional<paste::DecodedImage>& Image() const { return picture_.Image(); }
  // The picture's place in the box's client area when not scrolled.
  void SetPicturePosition(int x, int y);
  // The box's client extent with no scroll bar shown: what centring compares with.
  SIZE ClientExtent() const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void UpdateScrollBars();
  void Scroll(int bar, WORD request);
  void PlacePicture();

  PictureControl picture_;
  POINT position_{0, 0};
  POINT scrolled_{0, 0};
};

}  // namespace tembric::app::win32
