// What a user sees the moment the window first appears, before touching
// anything: the pictures must already be drawn.

#include <QtTest>

#include "../support/ScriptedDialogs.h"
#include "ui/LineArrayForm.h"
#include "views/DrawingSurface.h"

using namespace tarnwick;

namespace {

// Pixels of the shown picture darker than mid grey, its border left out.
int DarkPixels(QWidget& picture) {
  const QImage shown = picture.grab().toImage();
  int dark = 0;
  for (int y = 2; y < shown.height() - 2; ++y)
    for (int x = 2; x < shown.width() - 2; ++x) dark += qGray(shown.pixel(x, y)) < 128;
  return dark;
}

}  // namespace

class TestFirstShow : public QObject {
  Q_OBJECT

 private slots:
  void bothViewsAreDrawnWhenTheWindowFirstAppears() {
    LineArray_frm window;
    window.SetDialogs(std::make_unique<ScriptedDialogs>());
    window.show();  // as the program starts: no resize, no redraw asked for
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The side view shows the base line, slopes, boxes and rays; the zoom
    // view the enlarged boxes.
    QVERIFY(DarkPixels(*window.MainView_pbx) > 500);
    QVERIFY(DarkPixels(*window.ZoomView_pbx) > 200);
  }
};

QTEST_MAIN(TestFirstShow)
#include "test_first_show.moc"
