#pragma once

#include <QLabel>

namespace varkel {

// A label of one line whose size never follows its text: the layout gives it its width, and a
// long text that changes many times a second (a statement being sent) is laid out only to be
// painted, not again for a size hint on every change.
class OneLineLabel : public QLabel {
  public:
    using QLabel::QLabel;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};

}  // namespace varkel
