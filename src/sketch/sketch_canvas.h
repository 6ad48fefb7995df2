#pragma once
// The vector drawing surface of the section sketches: a recorder of primitives with the drawing
// state of the control (fill, pen, font). The sketch operations draw into it; the view paints the
// recorded list, and tests read it back.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ktv {

// Colours are 24-bit integers in blue-green-red order; 0x80000000 | n is system colour n.
inline constexpr uint32_t kSketchBlack = 0;
inline constexpr uint32_t kSketchGrey = 8421504;
inline constexpr uint32_t kSketchBlue = 16711680;
inline constexpr uint32_t kSketchGreen = 65280;
inline constexpr uint32_t kSketchCyan = 16776960;
inline constexpr uint32_t kSketchWhite = 16777215;
inline constexpr uint32_t kSketchWindowFace = 2147483663u;  // system colour 15, window faces

enum class FillStyle { Solid, Transparent };
enum class SketchPenStyle { Solid, Dot };

struct SketchPoint {
  float x = 0;
  float y = 0;
  friend bool operator==(const SketchPoint&, const SketchPoint&) = default;
};

// Everything a primitive is drawn with.
struct DrawState {
  uint32_t fill_color = kSketchWhite;
  FillStyle fill_style = FillStyle::Transparent;
  uint32_t pen_color = kSketchBlack;
  float pen_width = 0;  // drawing units; 0 is the thinnest line the screen shows
  SketchPenStyle pen_style = SketchPenStyle::Solid;
  uint32_t text_color = kSketchBlack;
  int font_charset = 0;
  float text_size = 65;  // drawing units, height of a text line
};

enum class PrimitiveKind { Line, Polygon, Rectangle, Arc, Text };

struct SketchPrimitive {
  PrimitiveKind kind = PrimitiveKind::Line;
  DrawState state;
  // Line: the two ends. Polygon: the vertices, the first repeated at the end. Rectangle: two
  // opposite corners. Arc: the centre. Text: the top-left corner of the text.
  std::vector<SketchPoint> points;
  float radius = 0;       // Arc
  float start_angle = 0;  // Arc, radians, counter-clockwise from the x axis
  float end_angle = 0;    // Arc
  std::string text;       // Text (UTF-8)
};

// The part of the drawing state a sketch saves before it draws and sets back afterwards.
struct SavedDrawState {
  uint32_t fill_color;
  FillStyle fill_style;
  float pen_width;
  SketchPenStyle pen_style;
};

class SketchCanvas {
 public:
  // The size value A of the scale rule of the sketches, in drawing units: the logical width of
  // the page.
  static constexpr float kSizeValue = 2000;

  float SizeValue() const { return kSizeValue; }

  void Clear();

  uint32_t FillColor() const { return state_.fill_color; }
  void SetFillColor(uint32_t color) { state_.fill_color = color; }
  FillStyle GetFillStyle() const { return state_.fill_style; }
  void SetFillStyle(FillStyle style) { state_.fill_style = style; }
  uint32_t PenColor() const { return state_.pen_color; }
  void SetPenColor(uint32_t color) { state_.pen_color = color; }
  float PenWidth() const { return state_.pen_width; }
  void SetPenWidth(float width) { state_.pen_width = width; }
  SketchPenStyle GetPenStyle() const { return state_.pen_style; }
  void SetPenStyle(SketchPenStyle style) { state_.pen_style = style; }
  int FontCharset() const { return state_.font_charset; }
  void SetFontCharset(int charset) { state_.font_charset = charset; }
  float TextSize() const { return state_.text_size; }
  void SetTextSize(float size) { state_.text_size = size; }
  const DrawState& State() const { return state_; }

  SavedDrawState SaveState() const;
  void RestoreState(const SavedDrawState& saved);

  void DrawLine(float x1, float y1, float x2, float y2);
  // The vertices in order; the figure is closed by repeating the first vertex at the end.
  void DrawPolygon(const std::vector<SketchPoint>& vertices);
  void DrawRectangle(float x1, float y1, float x2, float y2);
  // Arc around (x, y) with radius r from angle a1 to a2 (radians, counter-clockwise).
  void DrawArc(float x, float y, float r, float a1, float a2);
  void SetTextPosition(float x, float y) { text_position_ = {x, y}; }
  void DrawText(const std::string& text);

  const std::vector<SketchPrimitive>& Primitives() const { return primitives_; }

  // Everything drawn and the drawing state, to be put back when a drawing fails half-way.
  struct Snapshot {
    DrawState state;
    SketchPoint text_position;
    std::vector<SketchPrimitive> primitives;
  };
  Snapshot TakeSnapshot() const { return {state_, text_position_, primitives_}; }
  void Restore(Snapshot snapshot);

  // Called after every change of the recorded list (the view repaints).
  void SetChangeHandler(std::function<void()> handler) { on_change_ = std::move(handler); }

 private:
  void Add(SketchPrimitive primitive);

  DrawState state_;
  SketchPoint text_position_;
  std::vector<SketchPrimitive> primitives_;
  std::function<void()> on_change_;
};

}  // namespace ktv
