// What the simulations need of a drawing surface and of the user's attention. The
// Qt-free code draws and reports only through these, so it runs without a display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace common {

// Colours are packed 0x00BBGGRR.
using Colour = uint32_t;

inline constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>((b & 0xFF) << 16 | (g & 0xFF) << 8 | (r & 0xFF));
}

// One thing drawn on a surface, as a surface reports what it holds.
struct Primitive {
  enum class Kind { Point, Line, Circle, Text };
  Kind kind;
  Colour colour;
  float x1, y1, x2, y2;  // a point uses x1, y1; a circle x1, y1 and radius x2
  std::string text;      // only for Text, printed at x1, y1
};

// A surface in its own scale units: x grows to the right, y downwards.
class DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;
  virtual void SetForeColour(Colour colour) = 0;
  virtual void Point(float x, float y) = 0;
  virtual void Line(float x1, float y1, float x2, float y2) = 0;
  virtual void Circle(float x, float y, float radius) = 0;
  // Printing puts the text's top-left corner at the current position.
  virtual void SetCurrentPosition(float x, float y) = 0;
  virtual void Print(const std::string& text) = 0;
  virtual void Clear() = 0;
  // A chance to show what was drawn; the surface may ignore it when it showed it lately.
  virtual void Refresh(bool force) { (void)force; }
  // Draws, in order, what another surface of the same size recorded; a surface that keeps
  // primitives may take them whole.
  virtual void Replay(std::vector<Primitive>&& drawn) {
    for (const Primitive& p : drawn) {
      SetForeColour(p.colour);
      switch (p.kind) {
        case Primitive::Kind::Point:
          Point(p.x1, p.y1);
          break;
        case Primitive::Kind::Line:
          Line(p.x1, p.y1, p.x2, p.y2);
          break;
        case Primitive::Kind::Circle:
          Circle(p.x1, p.y1, p.x2);
          break;
        case Primitive::Kind::Text:
          SetCurrentPosition(p.x1, p.y1);
          Print(p.text);
          break;
      }
    }
  }
};

// A modal message with one OK button.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace common
