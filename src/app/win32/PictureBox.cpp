#include "app/win32/PictureBox.h"

#include <algorithm>
#include <utility>

namespace tembric::app::win32 {
namespace {

constexpr int kLineStep = 16;

SIZE ImageSize(const std::optional<paste::DecodedImage>& image) {
  if (!image) return {0, 0};
  return {image->width, image->height};
}

}  // namespace

void PictureControl::CreateIn(HWND parent) {
  Create({
      .className = "TembricPicture",
      .title = "",
      .style = WS_CHILD | WS_VISIBLE,
      .x = 0,
      .y = 0,
      .width = 0,
      .height = 0,
      .owner = parent,
      .background = nullptr,
  });
  ShowWindow(Hwnd(), SW_SHOWNA);
}

void PictureControl::SetImage(std::optional<paste::DecodedImage> image) {
  image_ = std::move(image);
  const SIZE size = ImageSize(image_);
  SetWindowPos(Hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT PictureControl::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_ERASEBKGND) return 1;
  if (msg != WM_PAINT) return DefaultHandling(msg, wp, lp);
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(Hwnd(), &ps);
  if (image_ && image_->dib.size() >= image_->PixelOffset()) {
    const auto* info = reinterpret_cast<const BITMAPINFO*>(image_->dib.data());
    SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(image_->width), static_cast<DWORD>(image_->height), 0, 0, 0,
                      static_cast<UINT>(image_->height), image_->dib.data() + image_->PixelOffset(), info,
                      DIB_RGB_COLORS);
  }
  EndPaint(Hwnd(), &ps);
  return 0;
}

void PictureBox::CreateIn(HWND parent) {
  Create({
      .className = "TembricScrollBox",
      .title = "",
      .style = WS_CHILD | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL,
      .exStyle = WS_EX_CLIENTEDGE,
      .x = 0,
      .y = 0,
      .width = 0,
      .height = 0,
      .owner = parent,
  });
  picture_.CreateIn(Hwnd());
  UpdateScrollBars();
}

void PictureBox::SetImage(std::optional<paste::DecodedImage> image) {
  picture_.SetImage(std::move(image));
  scrolled_ = {0, 0};
  UpdateScrollBars();
  PlacePicture();
}

void PictureBox::SetPicturePosition(int x, int y) {
  position_ = {x, y};
  PlacePicture();
}

SIZE PictureBox::ClientExtent() const {
  RECT window{};
  GetWindowRect(Hwnd(), &window);
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, 0, FALSE, WS_EX_CLIENTEDGE);
  return {std::max(0L, (window.right - window.left) - (frame.right - frame.left)),
          std::max(0L, (window.bottom - window.top) - (frame.bottom - frame.top))};
}

void PictureBox::UpdateScrollBars() {
  const SIZE image = ImageSize(picture_.Image());
  const SIZE extent = ClientExtent();
  // A bar shows only when the picture is larger than the box in its direction.
  const bool horizontal = image.cx > extent.cx;
  const bool vertical = image.cy > extent.cy;
  ShowScrollBar(Hwnd(), SB_HORZ, horizontal);
  ShowScrollBar(Hwnd(), SB_VERT, vertical);
  RECT client{};
  GetClientRect(Hwnd(), &client);
  // One direction: the scrolled offset kept within the picture, the bar's
  // range the picture's extent and its page the client's.
  auto fit = [this](int bar, bool shown, LONG& scrolled, LONG picture, LONG page) {
    if (!shown) {
      scrolled = 0;
      return;
    }
    scrolled = std::clamp<LONG>(scrolled, 0, std::max(0L, picture - page));
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = picture - 1;
    info.nPage = static_cast<UINT>(page);
    info.nPos = scrolled;
    SetScrollInfo(Hwnd(), bar, &info, TRUE);
  };
  fit(SB_HORZ, horizontal, scrolled_.x, image.cx, client.right);
  fit(SB_VERT, vertical, scrolled_.y, image.cy, client.bottom);
}

void PictureBox::PlacePicture() {
  SetWindowPos(picture_.Hwnd(), nullptr, position_.x - scrolled_.x, position_.y - scrolled_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PictureBox::Scroll(int bar, WORD request) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(Hwnd(), bar, &info)) return;
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP:
      pos -= kLineStep;
      break;
    case SB_LINEDOWN:
      pos += kLineStep;
      break;
    case SB_PAGEUP:
      pos -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      pos += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = info.nTrackPos;
      break;
    case SB_TOP:
      pos = info.nMin;
      break;
    case SB_BOTTOM:
      pos = info.nMax;
      break;
    default:
      return;
  }
  pos = std::clamp(pos, info.nMin, std::max(info.nMin, info.nMax - static_cast<int>(info.nPage) + 1));
  (bar == SB_HORZ ? scrolled_.x : scrolled_.y) = pos;
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(Hwnd(), bar, &info, TRUE);
  PlacePicture();
}

LRESULT PictureBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      UpdateScrollBars();
      PlacePicture();
      return 0;
    case WM_HSCROLL:
      Scroll(SB_HORZ, LOWORD(wp));
      return 0;
    case WM_VSCROLL:
      Scroll(SB_VERT, LOWORD(wp));
      return 0;
  }
  return DefaultHandling(msg, wp, lp);
}

}  // namespace tembric::app::win32
