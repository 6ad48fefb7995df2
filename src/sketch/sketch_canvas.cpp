#include "sketch/sketch_canvas.h"

#include <utility>

namespace ktv {

void SketchCanvas::Clear() {
  primitives_.clear();
  if (on_change_) on_change_();
}

void SketchCanvas::Restore(Snapshot snapshot) {
  state_ = snapshot.state;
  text_position_ = snapshot.text_position;
  primitives_ = std::move(snapshot.primitives);
  if (on_change_) on_change_();
}

SavedDrawState SketchCanvas::SaveState() const {
  return {state_.fill_color, state_.fill_style, state_.pen_width, state_.pen_style};
}

void SketchCanvas::RestoreState(const SavedDrawState& saved) {
  state_.fill_color = saved.fill_color;
  state_.fill_style = saved.fill_style;
  state_.pen_width = saved.pen_width;
  state_.pen_style = saved.pen_style;
}

void SketchCanvas::DrawLine(float x1, float y1, float x2, float y2) {
  SketchPrimitive p;
  p.kind = PrimitiveKind::Line;
  p.points = {{x1, y1}, {x2, y2}};
  Add(std::move(p));
}

void SketchCanvas::DrawPolygon(const std::vector<SketchPoint>& vertices) {
  SketchPrimitive p;
  p.kind = PrimitiveKind::Polygon;
  p.points = vertices;
  if (!vertices.empty()) p.points.push_back(vertices.front());
  Add(std::move(p));
}

void SketchCanvas::DrawRectangle(float x1, float y1, float x2, float y2) {
  SketchPrimitive p;
  p.kind = PrimitiveKind::Rectangle;
  p.points = {{x1, y1}, {x2, y2}};
  Add(std::move(p));
}

void SketchCanvas::DrawArc(float x, float y, float r, float a1, float a2) {
  SketchPrimitive p;
  p.kind = PrimitiveKind::Arc;
  p.points = {{x, y}};
  p.radius = r;
  p.start_angle = a1;
  p.end_angle = a2;
  Add(std::move(p));
}

void SketchCanvas::DrawText(const std::string& text) {
  SketchPrimitive p;
  p.kind = PrimitiveKind::Text;
  p.points = {text_position_};
  p.text = text;
  Add(std::move(p));
}

void SketchCanvas::Add(SketchPrimitive primitive) {
  primitive.state = state_;
  primitives_.push_back(std::move(primitive));
  if (on_change_) on_change_();
}

}  // namespace ktv
