#include "ui/icon_painter.h"

#include <memory>

namespace vonu {
namespace {

using Gdiplus::Color;
using Gdiplus::PointF;
using Gdiplus::RectF;

const Color kStroke(52, 56, 61);
const Color kStrokeDisabled(182, 186, 191);
const Color kAccent(217, 134, 26);
const Color kWhite(255, 255, 255);

// Pens and brushes of one icon, in grid units (the graphics is scaled to the 32-unit grid).
struct Kit {
    Gdiplus::Pen line;
    Gdiplus::Pen white;
    Gdiplus::Pen accentLine;
    Gdiplus::SolidBrush stroke;
    Gdiplus::SolidBrush accent;
    Gdiplus::SolidBrush background;
    Gdiplus::SolidBrush whiteFill;

    Kit(bool enabled, Color back, float lineWidth)
        : line(enabled ? kStroke : kStrokeDisabled, lineWidth),
          white(kWhite, 2.6f),
          accentLine(enabled ? kAccent : kStrokeDisabled, 2.4f),
          stroke(enabled ? kStroke : kStrokeDisabled),
          accent(enabled ? kAccent : kStrokeDisabled),
          background(back),
          whiteFill(kWhite) {
        for (Gdiplus::Pen* p : {&line, &white, &accentLine}) {
            p->SetLineJoin(Gdiplus::LineJoinRound);
            p->SetStartCap(Gdiplus::LineCapRound);
            p->SetEndCap(Gdiplus::LineCapRound);
        }
    }
};

void Circle(Gdiplus::Graphics& g, const Gdiplus::Pen& pen, float cx, float cy, float r) {
    g.DrawEllipse(&pen, cx - r, cy - r, 2 * r, 2 * r);
}
void Disc(Gdiplus::Graphics& g, const Gdiplus::Brush& brush, float cx, float cy, float r) {
    g.FillEllipse(&brush, cx - r, cy - r, 2 * r, 2 * r);
}

void RoundedRect(Gdiplus::GraphicsPath& path, float x, float y, float w, float h, float r) {
    const float d = 2 * r;
    path.AddArc(x, y, d, d, 180, 90);
    path.AddArc(x + w - d, y, d, d, 270, 90);
    path.AddArc(x + w - d, y + h - d, d, d, 0, 90);
    path.AddArc(x, y + h - d, d, d, 90, 90);
    path.CloseFigure();
}
void FillRounded(Gdiplus::Graphics& g, const Gdiplus::Brush& b, float x, float y, float w, float h, float r) {
    Gdiplus::GraphicsPath path;
    RoundedRect(path, x, y, w, h, r);
    g.FillPath(&b, &path);
}
void DrawRounded(Gdiplus::Graphics& g, const Gdiplus::Pen& p, float x, float y, float w, float h, float r) {
    Gdiplus::GraphicsPath path;
    RoundedRect(path, x, y, w, h, r);
    g.DrawPath(&p, &path);
}

void Triangle(Gdiplus::Graphics& g, const Gdiplus::Brush& b, PointF a, PointF c, PointF d) {
    const PointF pts[] = {a, c, d};
    g.FillPolygon(&b, pts, 3);
}

void Check(Gdiplus::Graphics& g, const Gdiplus::Pen& p, PointF a, PointF b, PointF c) {
    const PointF pts[] = {a, b, c};
    g.DrawLines(&p, pts, 3);
}

void Bin(Gdiplus::Graphics& g, Kit& k) {
    g.DrawLine(&k.line, 6.0f, 9.0f, 26.0f, 9.0f);
    const PointF handle[] = {{12.5f, 9}, {12.5f, 5.5f}, {19.5f, 5.5f}, {19.5f, 9}};
    g.DrawLines(&k.line, handle, 4);
    const PointF body[] = {{8.5f, 12}, {10.2f, 27}, {21.8f, 27}, {23.5f, 12}};
    g.DrawLines(&k.line, body, 4);
    g.DrawLine(&k.line, 14.0f, 15.5f, 14.3f, 23.0f);
    g.DrawLine(&k.line, 18.0f, 15.5f, 17.7f, 23.0f);
}

void ListLines(Gdiplus::Graphics& g, Kit& k) {
    g.DrawLine(&k.line, 5.0f, 9.0f, 19.0f, 9.0f);
    g.DrawLine(&k.line, 5.0f, 16.0f, 17.0f, 16.0f);
    g.DrawLine(&k.line, 5.0f, 23.0f, 15.0f, 23.0f);
}

void Draw(Gdiplus::Graphics& g, int code, Kit& k) {
    switch (code) {
        case kIconAddLink:
            Disc(g, k.accent, 16, 16, 12);
            g.DrawLine(&k.white, 16.0f, 10.5f, 16.0f, 21.5f);
            g.DrawLine(&k.white, 10.5f, 16.0f, 21.5f, 16.0f);
            break;
        case kIconResume:
            Circle(g, k.line, 16, 16, 12);
            Triangle(g, k.accent, {13, 10}, {22.5f, 16}, {13, 22});
            break;
        case kIconStop:
            Circle(g, k.line, 16, 16, 12);
            FillRounded(g, k.stroke, 11.5f, 11.5f, 9, 9, 2);
            break;
        case kIconStopAll:
            DrawRounded(g, k.line, 14, 4, 14, 14, 3);
            FillRounded(g, k.background, 8, 8, 16, 16, 3.5f);
            FillRounded(g, k.accent, 9, 9, 14, 14, 3);
            DrawRounded(g, k.line, 9, 9, 14, 14, 3);
            FillRounded(g, k.background, 3, 13, 16, 16, 3.5f);
            DrawRounded(g, k.line, 4, 14, 14, 14, 3);
            break;
        case kIconDelete:
            Bin(g, k);
            break;
        case kIconClearFinished:
            Bin(g, k);
            Disc(g, k.background, 23.5f, 22.5f, 8.2f);
            Disc(g, k.accent, 23.5f, 22.5f, 6.5f);
            Check(g, k.white, {20.5f, 22.8f}, {22.8f, 25.1f}, {26.6f, 20.4f});
            break;
        case kIconOptions: {
            const float ys[] = {9, 16, 23};
            const float knobs[] = {20, 11, 22};
            for (int i = 0; i < 3; ++i) g.DrawLine(&k.line, 5.0f, ys[i], 27.0f, ys[i]);
            for (int i = 0; i < 3; ++i) {
                Disc(g, k.background, knobs[i], ys[i], 4.2f);
                Disc(g, i == 1 ? k.background : k.accent, knobs[i], ys[i], 3);
                Circle(g, k.line, knobs[i], ys[i], 3);
            }
            break;
        }
        case kIconScheduler:
            Circle(g, k.line, 16, 16, 12);
            g.DrawLine(&k.line, 16.0f, 16.0f, 16.0f, 9.0f);
            g.DrawLine(&k.accentLine, 16.0f, 16.0f, 21.5f, 19.5f);
            Disc(g, k.stroke, 16, 16, 1.7f);
            break;
        case kIconFindFiles: {
            const PointF doc[] = {{14, 27}, {6, 27}, {6, 4}, {18, 4}, {23, 9}, {23, 13}};
            g.DrawLines(&k.line, doc, 6);
            g.DrawLine(&k.line, 10.0f, 11.0f, 17.0f, 11.0f);
            g.DrawLine(&k.line, 10.0f, 16.0f, 14.0f, 16.0f);
            Disc(g, k.background, 20, 20.5f, 6.8f);
            Disc(g, k.accent, 20, 20.5f, 5);
            Circle(g, k.line, 20, 20.5f, 5);
            g.DrawLine(&k.line, 23.8f, 24.3f, 27.5f, 28.0f);
            break;
        }
        case kIconRunQueue:
            ListLines(g, k);
            Triangle(g, k.accent, {20, 14}, {28, 20}, {20, 26});
            break;
        case kIconPauseQueue:
            ListLines(g, k);
            FillRounded(g, k.stroke, 20, 16, 8, 8, 2);
            break;
        case kIconAllDownloads: {
            g.DrawLine(&k.line, 16.0f, 4.5f, 16.0f, 18.0f);
            const PointF head[] = {{10.5f, 12.5f}, {16, 18}, {21.5f, 12.5f}};
            g.DrawLines(&k.line, head, 3);
            const PointF tray[] = {{5, 17}, {5, 26}, {27, 26}, {27, 17}};
            g.DrawLines(&k.line, tray, 4);
            break;
        }
        case kIconCategory: {
            const PointF folder[] = {{4, 7}, {12, 7}, {15, 10.5f}, {28, 10.5f}, {28, 26}, {4, 26}};
            g.DrawPolygon(&k.line, folder, 6);
            break;
        }
        case kIconIncomplete:
            g.FillPie(&k.accent, 4.0f, 4.0f, 24.0f, 24.0f, -90.0f, 180.0f);
            Circle(g, k.line, 16, 16, 12);
            break;
        case kIconCompleted:
            Circle(g, k.line, 16, 16, 12);
            Check(g, k.line, {10.5f, 16.5f}, {14.5f, 20.5f}, {21.5f, 12});
            break;
        case kIconQueues: {
            const float ys[] = {9, 16, 23};
            for (int i = 0; i < 3; ++i) {
                Disc(g, i == 0 ? k.accent : k.stroke, 6.5f, ys[i], 2.2f);
                g.DrawLine(&k.line, 12.0f, ys[i], 27.0f, ys[i]);
            }
            break;
        }
        default:
            break;
    }
}

}  // namespace

void PaintIcon(Gdiplus::Graphics& g, int code, float x, float y, float side, bool enabled, Color background) {
    const Gdiplus::GraphicsState saved = g.Save();
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    g.TranslateTransform(x, y);
    const float unit = side / 32.0f;
    g.ScaleTransform(unit, unit);
    Kit kit(enabled, background, unit < 0.7f ? 2.6f : 2.0f);
    Draw(g, code, kit);
    g.Restore(saved);
}

HBITMAP IconBitmapOnWhite(int code, int side) {
    Gdiplus::Bitmap bitmap(side, side, PixelFormat32bppARGB);
    if (bitmap.GetLastStatus() != Gdiplus::Ok) return nullptr;
    {
        Gdiplus::Graphics g(&bitmap);
        g.Clear(kWhite);
        PaintIcon(g, code, 0, 0, static_cast<float>(side), true, kWhite);
    }
    HBITMAP result = nullptr;
    if (bitmap.GetHBITMAP(kWhite, &result) != Gdiplus::Ok) return nullptr;
    return result;
}

}  // namespace vonu
