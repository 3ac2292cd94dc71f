// How the Win32 window shows the 960 x 704 field: placed by the scale mode,
// centred with black bars, scaled, and painted again from the kept frame
// whenever the window asks for it. Pointer positions go back to field
// pixels. Each scale goes the way that measured cheapest (see
// docs/performance.md): a plain block copy at 1x; at whole multiples our own
// pass into a DIB of the field's size, then a block copy; the sharp mode's
// blended seams by the shared smooth pass into that DIB; the fit mode's
// factors in between by the system's stretch (nearest neighbour).
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/shared/frame_scale.h"
#include "platform/win32/backend.h"

namespace {

struct WindowView {
    HWND window = nullptr;
    // The window's own device context (CS_OWNDC), which keeps the stretch
    // mode set once.
    HDC dc = nullptr;
    // The frame last copied into the window's surface.
    const platform::SurfaceData* frame = nullptr;
    host::ScaleMode mode = host::ScaleAuto;
    int clientWidth = 0;
    int clientHeight = 0;
    shared::FieldShowing showing;
    shared::PixelRect field;
    // Whether the bars around the field must be painted at the next frame.
    bool barsStale = true;
    // Whether the window shows the frame before the next one whole, so that
    // the next one may be sent by its changes.
    bool shownWhole = false;
    std::vector<platform::Rect> changes;
    bool changesKnown = false;
};

WindowView View;
// The field scaled by a whole multiple of 2 or more, in a DIB of its size.
platform::SurfaceData Scaled;

void PaintBars(HDC dc) {
    const shared::PixelRect& f = View.field;
    const RECT bars[4] = {
        {0, 0, View.clientWidth, f.y},
        {0, f.y + f.height, View.clientWidth, View.clientHeight},
        {0, f.y, f.x, f.y + f.height},
        {f.x + f.width, f.y, View.clientWidth, f.y + f.height},
    };
    HBRUSH black = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    for (const RECT& bar : bars)
        if (bar.right > bar.left && bar.bottom > bar.top)
            ::FillRect(dc, &bar, black);
}

// The frame's pixels (fx, fy, fw, fh) into the scaled field, each a block
// of k x k: a row is made once and copied to the k - 1 rows below it.
void ScaleWhole(const platform::SurfaceData& frame, int k, int fx, int fy, int fw, int fh) {
    const size_t pitch = size_t(Scaled.width);
    for (int row = fy; row < fy + fh; ++row) {
        const uint32_t* from = frame.pixels + size_t(row) * size_t(frame.width) + fx;
        uint32_t* to = Scaled.pixels + size_t(row) * size_t(k) * pitch + size_t(fx) * size_t(k);
        if (k == 2) {
            for (int i = 0; i < fw; ++i)
                to[2 * i] = to[2 * i + 1] = from[i];
        } else {
            for (int i = 0; i < fw; ++i)
                std::fill_n(to + size_t(i) * size_t(k), k, from[i]);
        }
        for (int r = 1; r < k; ++r)
            std::memcpy(to + size_t(r) * pitch, to, size_t(fw) * size_t(k) * 4);
    }
}

// The sharp mode: the frame's pixels (fx, fy, fw, fh) blended into the
// scaled field and the output pixels they reach sent. False when the system
// gives no DIB for it.
bool SendSmoothPart(HDC dc, const platform::SurfaceData& frame, int fx, int fy, int fw, int fh) {
    const shared::PixelRect& f = View.field;
    if (!frame.pixels || !win32::KeepPixelSurface(Scaled, View.dc, f.width, f.height))
        return false;
    ::GdiFlush();
    const shared::FramePixels from{frame.pixels, frame.width, frame.height, frame.width};
    const shared::OutputPixels to{Scaled.pixels, f.width, f.height, f.width};
    const shared::OutputRect done = shared::ScaleFrameSmoothPart(
        from, to, 0, 0, f.width, f.height, View.showing.whole, 0, fx, fy, fw, fh);
    if (done.width > 0 && done.height > 0)
        ::BitBlt(dc, f.x + done.x, f.y + done.y, done.width, done.height, Scaled.dc, done.x, done.y,
                 SRCCOPY);
    return true;
}

// The frame's pixels (fx, fy, fw, fh) to their place in the field.
void SendPart(HDC dc, const platform::SurfaceData& frame, int fx, int fy, int fw, int fh) {
    const shared::PixelRect& f = View.field;
    if (View.showing.smooth && SendSmoothPart(dc, frame, fx, fy, fw, fh))
        return;
    if (f.width == frame.width && f.height == frame.height) {
        ::BitBlt(dc, f.x + fx, f.y + fy, fw, fh, frame.dc, fx, fy, SRCCOPY);
        return;
    }
    const int k = f.width / frame.width;
    if (shared::IsWholeMultiple(f) && frame.pixels &&
        win32::KeepPixelSurface(Scaled, View.dc, f.width, f.height)) {
        // The pixels are read and written straight: what GDI may still hold
        // back of the drawing into them is done first.
        ::GdiFlush();
        ScaleWhole(frame, k, fx, fy, fw, fh);
        ::BitBlt(dc, f.x + fx * k, f.y + fy * k, fw * k, fh * k, Scaled.dc, fx * k, fy * k,
                 SRCCOPY);
        return;
    }
    // The same mapping for a part as for the whole: output pixel i shows
    // frame pixel i * frame / field.
    const int x0 = int(int64_t(fx) * f.width / frame.width);
    const int y0 = int(int64_t(fy) * f.height / frame.height);
    const int x1 = int(int64_t(fx + fw) * f.width / frame.width);
    const int y1 = int(int64_t(fy + fh) * f.height / frame.height);
    ::StretchBlt(dc, f.x + x0, f.y + y0, x1 - x0, y1 - y0, frame.dc, fx, fy, fw, fh, SRCCOPY);
}

void SendWhole(HDC dc) {
    if (View.frame)
        SendPart(dc, *View.frame, 0, 0, View.frame->width, View.frame->height);
    else
        PaintBars(dc);
}

void SendChanges(HDC dc, const platform::SurfaceData& frame) {
    for (const platform::Rect& r : View.changes) {
        const int left = std::clamp(r.x, 0, frame.width);
        const int right = std::clamp(r.x + r.width, 0, frame.width);
        const int top = std::clamp(r.y, 0, frame.height);
        const int bottom = std::clamp(r.y + r.height, 0, frame.height);
        if (left < right && top < bottom)
            SendPart(dc, frame, left, top, right - left, bottom - top);
    }
}

}  // namespace

namespace win32 {

void StartView(HWND window, platform::SurfaceData* frame) {
    View.window = window;
    View.dc = ::GetDC(window);
    View.frame = frame;
    // Nearest neighbour: each field pixel becomes a block of whole screen
    // pixels, never a blend of its neighbours.
    ::SetStretchBltMode(View.dc, COLORONCOLOR);
    PlaceField(window);
}

void SetScaleMode(host::ScaleMode mode) {
    View.mode = mode;
}

host::ScaleMode CurrentScaleMode() {
    return View.mode;
}

host::ScaleMode ScaleModeShownAs() {
    return View.showing.shownAs;
}

void PlaceField(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    View.clientWidth = client.right - client.left;
    View.clientHeight = client.bottom - client.top;
    View.showing = shared::ShowField(View.clientWidth, View.clientHeight, View.mode);
    View.field = View.showing.field;
    View.barsStale = true;
    View.shownWhole = false;
}

void SetFrameChanges(const platform::Rect* rects, int count) {
    View.changes.assign(rects, rects + count);
    View.changesKnown = true;
}

void ShowFrame() {
    // The hint holds for this frame only.
    const bool changesKnown = View.changesKnown;
    View.changesKnown = false;
    if (!View.dc || !View.frame || ::IsIconic(View.window) || View.field.width <= 0) {
        View.shownWhole = false;
        return;
    }
    const bool barsPainted = View.barsStale;
    if (View.barsStale) {
        PaintBars(View.dc);
        View.barsStale = false;
    }
    ShowStatus(View.window, View.dc, View.field, View.clientWidth, View.clientHeight, barsPainted);
    // A part of a stretched picture matches the whole only at whole
    // multiples and where the smooth pass blends it; in between the whole
    // frame goes.
    const bool partsMatch = shared::IsWholeMultiple(View.field) || View.showing.smooth;
    if (changesKnown && View.shownWhole && partsMatch)
        SendChanges(View.dc, *View.frame);
    else
        SendWhole(View.dc);
    View.shownWhole = true;
}

void PaintWindow(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    if (dc) {
        if (window == View.window) {
            PaintBars(dc);
            SendWhole(dc);
            ShowStatus(window, dc, View.field, View.clientWidth, View.clientHeight, true);
        } else {
            ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        }
    }
    ::EndPaint(window, &paint);
}

intptr_t FieldPosition(intptr_t clientPosition) {
    const int x = int16_t(clientPosition & 0xFFFF);
    const int y = int16_t((clientPosition >> 16) & 0xFFFF);
    int fieldX = x, fieldY = y;
    if (View.window)
        shared::FieldPointOf(View.field, x, y, fieldX, fieldY);
    return platform::PointParam(fieldX, fieldY);
}

}  // namespace win32
