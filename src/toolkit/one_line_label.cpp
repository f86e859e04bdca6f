#include "toolkit/one_line_label.h"

namespace varkel {

QSize OneLineLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {m.left() + m.right(), fontMetrics().height() + m.top() + m.bottom()};
}

QSize OneLineLabel::minimumSizeHint() const {
    return sizeHint();
}

}  // namespace varkel
