// The start-up's last mark: the first paint of any window, written as the
// stage "paint" when start-up marks are asked for (startup_marks.h).
#pragma once

#include <QObject>

namespace shell {

// While it lives and marks are asked for, it watches the application's
// events; at the first paint it writes the mark and stops watching.
class FirstPaintMark : public QObject {
public:
    FirstPaintMark();
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace shell
