// Drawing surfaces without a display, for tests and benchmarks: one that keeps every
// primitive, and one that draws nothing.
#pragma once

#include <string>
#include <vector>

#include "common/drawing_surface.h"

namespace common {

class RecordingSurface : public DrawingSurface {
 public:
  RecordingSurface(float width = 1000, float height = 1000) : width_(width), height_(height) {}
  float ScaleWidth() const override { return width_; }
  float ScaleHeight() const override { return height_; }
  void SetSize(float width, float height) {
    width_ = width;
    height_ = height;
  }
  void SetForeColour(Colour colour) override { colour_ = colour; }
  void Point(float x, float y) override {
    primitives_.push_back({Primitive::Kind::Point, colour_, x, y, 0, 0, {}});
  }
  void Line(float x1, float y1, float x2, float y2) override {
    primitives_.push_back({Primitive::Kind::Line, colour_, x1, y1, x2, y2, {}});
  }
  void Circle(float x, float y, float radius) override {
    primitives_.push_back({Primitive::Kind::Circle, colour_, x, y, radius, 0, {}});
  }
  void SetCurrentPosition(float x, float y) override {
    currentX_ = x;
    currentY_ = y;
  }
  void Print(const std::string& text) override {
    primitives_.push_back({Primitive::Kind::Text, colour_, currentX_, currentY_, 0, 0, text});
  }
  void Clear() override {
    primitives_.clear();
    ++clears_;
  }
  void Refresh(bool force) override { refreshes_ += force ? 1 : 0; }

  const std::vector<Primitive>& Primitives() const { return primitives_; }
  int Clears() const { return clears_; }
  int ForcedRefreshes() const { return refreshes_; }

 private:
  float width_, height_;
  Colour colour_ = 0;
  float currentX_ = 0, currentY_ = 0;
  std::vector<Primitive> primitives_;
  int clears_ = 0;
  int refreshes_ = 0;
};

class NullSurface : public DrawingSurface {
 public:
  NullSurface(float width = 1000, float height = 1000) : width_(width), height_(height) {}
  float ScaleWidth() const override { return width_; }
  float ScaleHeight() const override { return height_; }
  void SetForeColour(Colour) override {}
  void Point(float, float) override {}
  void Line(float, float, float, float) override {}
  void Circle(float, float, float) override {}
  void SetCurrentPosition(float, float) override {}
  void Print(const std::string&) override {}
  void Clear() override {}

 private:
  float width_, height_;
};

}  // namespace common
