#include "sketch/sketch_panel.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <vector>

#include "sketch/sketch_view.h"

namespace ktv {
namespace {

// Keeps the drawing's messages for the sketch area; questions still go to the user.
class CollectingSink : public MessageSink {
 public:
  explicit CollectingSink(MessageSink& target) : target_(target) {}
  void Beep() override {}
  MessageAnswer Show(MessageIcon icon, MessageButtons buttons, const std::string& title,
                     const std::string& text) override {
    if (buttons != MessageButtons::Ok) return target_.Show(icon, buttons, title, text);
    if (!texts_.empty()) texts_ += "\n";
    texts_ += text;
    return MessageAnswer::Ok;
  }
  const std::string& Texts() const { return texts_; }

 private:
  MessageSink& target_;
  std::string texts_;
};

QPushButton* Button(const char* name, const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setAutoDefault(false);
  // As narrow as the caption allows, so the panel fits beside the wall page's boxes.
  button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 16);
  return button;
}

QFrame* Group(QWidget* parent, std::initializer_list<QWidget*> members) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::StyledPanel);
  auto* layout = new QHBoxLayout(frame);
  layout->setContentsMargins(3, 3, 3, 3);
  layout->setSpacing(3);
  for (QWidget* w : members) layout->addWidget(w);
  return frame;
}

}  // namespace

SketchPanel::SketchPanel(MessageSink& sink, QWidget* parent) : QWidget(parent), sink_(sink) {
  setObjectName(QStringLiteral("SketchPanel"));

  view_ = new SketchView(this);
  message_ = new QLabel(view_);
  message_->setObjectName(QStringLiteral("lblSketchMessage"));
  message_->setWordWrap(true);
  message_->setMargin(6);
  message_->setStyleSheet(
      QStringLiteral("QLabel { color: #c00000; background: rgba(255, 240, 240, 235); border: 1px "
                     "solid #c00000; }"));
  message_->hide();
  zoom_up_ = Button("cmdZoomUp", "拡大", this);
  zoom_down_ = Button("cmdZoomDown", "縮小", this);
  standard_zoom_ = Button("cmdSZoom", "標準", this);
  scale_up_ = Button("cmdScaleUp", "大きく", this);
  scale_down_ = Button("cmdScaleDown", "小さく", this);
  standard_scale_ = Button("cmdSScale", "標準", this);
  draw_ = Button("cmdDraw", "再描画", this);
  standard_shape_ = Button("cmdSDraw", "標準図", this);
  sync_draw_ = new QCheckBox(QString::fromUtf8("入力値をすぐに図に反映する"), this);
  sync_draw_->setObjectName(QStringLiteral("chkSyncDraw"));
  sync_draw_->setChecked(true);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(4);
  layout->addWidget(view_, 1);
  auto* view_row = new QHBoxLayout;
  view_row->addWidget(Group(this, {zoom_up_, zoom_down_, standard_zoom_}));
  view_row->addStretch(1);
  view_row->addWidget(Group(this, {scale_up_, scale_down_, standard_scale_}));
  layout->addLayout(view_row);
  auto* draw_row = new QHBoxLayout;
  draw_row->addWidget(sync_draw_);
  draw_row->addStretch(1);
  draw_row->addWidget(draw_);
  draw_row->addWidget(standard_shape_);
  layout->addLayout(draw_row);

  connect(zoom_up_, &QPushButton::clicked, this, &SketchPanel::ZoomUp);
  connect(zoom_down_, &QPushButton::clicked, this, &SketchPanel::ZoomDown);
  connect(standard_zoom_, &QPushButton::clicked, this, &SketchPanel::StandardZoom);
  connect(scale_up_, &QPushButton::clicked, this, &SketchPanel::ScaleUp);
  connect(scale_down_, &QPushButton::clicked, this, &SketchPanel::ScaleDown);
  connect(standard_scale_, &QPushButton::clicked, this, &SketchPanel::StandardScale);
  connect(draw_, &QPushButton::clicked, this, &SketchPanel::DrawSketch);
  connect(standard_shape_, &QPushButton::clicked, this, &SketchPanel::ResetToStandardSizes);
  connect(sync_draw_, &QCheckBox::toggled, this, &SketchPanel::ToggleSyncDraw);

  view_->SetUp();
  ToggleSyncDraw();
}

void SketchPanel::SetInputSource(std::function<SketchInputs()> source) {
  source_ = std::move(source);
}

void SketchPanel::SetInputs(const SketchInputs& inputs) { inputs_ = inputs; }

void SketchPanel::SetDrawer(int family, SketchDrawer drawer) {
  if (family >= 0 && family < kWallFamilyCount) drawers_[family] = std::move(drawer);
}

float SketchPanel::ScaleOffset(int family) const {
  return family >= 0 && family < kWallFamilyCount ? scale_offsets_[family] : 0.0f;
}

void SketchPanel::ResetForLoad() {
  scale_offsets_.fill(0);
  view_->SetUp();
}

bool SketchPanel::SyncDraw() const { return sync_draw_->isChecked(); }

void SketchPanel::SetSyncDraw(bool on) { sync_draw_->setChecked(on); }

SketchInputs SketchPanel::CurrentInputs() const { return source_ ? source_() : inputs_; }

float* SketchPanel::CurrentOffset() {
  const int family = CurrentInputs().family;
  return family >= 0 && family < kWallFamilyCount ? &scale_offsets_[family] : nullptr;
}

void SketchPanel::DrawSketch() {
  if (drawing_) return;
  // The drawing runs to its end before any other event is handled, so it needs no disabled
  // window; disabling it would take the focus and close an open list (the family list the user
  // has just clicked after leaving a dimension).
  drawing_ = true;
  CollectingSink collected(sink_);
  const SketchInputs inputs = CurrentInputs();
  const int family = inputs.family;
  SketchCanvas& canvas = view_->Canvas();
  SketchCanvas::Snapshot before = canvas.TakeSnapshot();
  if (family >= 0 && family < kWallFamilyCount && drawers_[family]) {
    drawers_[family](canvas, inputs, scale_offsets_[family], collected);
  } else {
    // No sketch for this family: show nothing rather than another family's section.
    canvas.Clear();
  }
  drawing_ = false;
  if (collected.Texts().empty()) {
    message_->hide();
  } else {
    // Never half a sketch: the last whole one stays, with the message over it.
    canvas.Restore(std::move(before));
    message_->setText(QString::fromStdString(collected.Texts())
                          .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    PlaceMessage();
    message_->show();
    message_->raise();
  }
  emit sketchDrawn();
}

void SketchPanel::PlaceMessage() {
  const int width = std::max(80, view_->width() - 16);
  message_->setFixedWidth(width);
  message_->adjustSize();
  message_->move(8, 8);
}

void SketchPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (message_->isVisible()) PlaceMessage();
}

void SketchPanel::ToggleSyncDraw() { draw_->setEnabled(!sync_draw_->isChecked()); }

void SketchPanel::ShapeInputLeft() {
  if (sync_draw_->isChecked()) DrawSketch();
}

void SketchPanel::ZoomUp() {
  const int zoom = view_->Zoom();
  if (zoom > kZoomUpperLimit) {
    sink_.Beep();
    return;
  }
  view_->SetZoom(zoom + kZoomStep);
}

void SketchPanel::ZoomDown() {
  const int zoom = view_->Zoom();
  if (zoom < kZoomLowerLimit) {
    sink_.Beep();
    return;
  }
  view_->SetZoom(zoom - kZoomStep);
}

void SketchPanel::StandardZoom() { view_->SetZoomMode(SketchView::kZoomModeWholePage); }

void SketchPanel::ChangeScale(float step) {
  float* offset = CurrentOffset();
  if (offset == nullptr) return;
  const float changed = *offset + step;
  if (changed > kScaleLimit || changed < -kScaleLimit) {
    sink_.Beep();
    return;
  }
  *offset = changed;
  DrawSketch();
}

void SketchPanel::ScaleUp() { ChangeScale(kScaleStep); }

void SketchPanel::ScaleDown() { ChangeScale(-kScaleStep); }

void SketchPanel::StandardScale() {
  float* offset = CurrentOffset();
  if (offset == nullptr) return;
  *offset = 0;
  DrawSketch();
}

void SketchPanel::ResetToStandardSizes() {
  sink_.Beep();
  const MessageAnswer answer = sink_.Show(MessageIcon::Question, MessageButtons::YesNo, kFullTitle,
                                          kResetToStandardQuestion);
  if (answer != MessageAnswer::Yes) return;
  emit resetToStandardSizesConfirmed();
  DrawSketch();
}

}  // namespace ktv
