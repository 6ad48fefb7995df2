#pragma once
// The typeset formula pictures of the calculation report, identified by key ("1_3_9"). They are
// compiled into the program as a glyph font and the placement of its glyphs, and drawn as glyph
// runs (in a PDF an embedded font subset, a few bytes per glyph); each is drawn at its natural
// size, in which one em of the formula matches the 9-pt report font. Lengths are twips (15 twips
// per pixel at 96 dpi). Drawing needs a running QGuiApplication; sizes do not.
//
// Vertical alignment: the middle of the "=" (the math axis) lies on the vertical middle of every
// picture, so a value written next to it, centred on the picture's middle line, stands on the
// formula line. Exceptions: the two Coulomb coefficient pictures "1_3_9" and "1_3_10" are tall
// fractions whose axis lies 240 twips above their middle (the report lifts the value written
// after them by 240 twips). Pictures that the report draws raised by K twips to continue a line of
// text ("1_4_11" and "1_4_21", "1_4_22" by 50, "1_4_18" by 75, "1_4_20" by 100, "1_4_23" by 200)
// are 2K + 234 twips high, so that the formula and the text after it stand on that line.
#include <QRectF>
#include <QSizeF>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace ktv {

// A key that is not one of the report's formula pictures (an error of the calling code).
class FormulaPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// True when key names one of the formula pictures.
bool HasFormulaPicture(std::string_view key);

// Natural width and height in twips; throws FormulaPictureError naming an unknown key.
QSizeF FormulaPictureSize(std::string_view key);

// Draws the picture scaled into target (the painter's coordinates, for example twips on the page);
// throws FormulaPictureError naming an unknown key, or when no QGuiApplication runs.
void DrawFormulaPicture(QPainter& p, std::string_view key, const QRectF& target);

// The bar of the empty fraction of the slab pictures ("1_6_70", "1_6_75", ...), above and below
// which the report writes two numbers: a rectangle in twips relative to the picture's top-left
// corner at natural size. Empty for pictures without such a bar; throws for an unknown key.
std::optional<QRectF> FormulaPictureFractionBar(std::string_view key);

// The keys of all formula pictures, in the order of the picture list.
std::vector<std::string> FormulaPictureKeys();

}  // namespace ktv
