// The window at twice the scale, on a screen smaller than its own
// minimum: it must fit, and what is on screen must be drawn, not left over.
#include <QtTest>

#include "support/WindowFixture.h"

using namespace tarnwick;

class TestHighDpi : public QObject {
  Q_OBJECT

 private slots:
  void theWindowFitsAndEveryPictureKeepsItsWholeBorder() {
    LineArray_frm w;
    w.SetDialogs(std::make_unique<ScriptedDialogs>());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.devicePixelRatio(), 2.0);
    const QSize screen = w.screen()->availableGeometry().size();
    QVERIFY2(w.minimumSize().boundedTo(screen) == w.minimumSize(),
             "the minimum size exceeds the screen");
    // The strip and both panels make the pictures move and shrink over older drawing.
    w.findChild<QAction*>(QStringLiteral("ShowGraph_men"))->trigger();
    for (const char* button : {"ShowArraySettings_cbt", "ShowAreaSettings_cbt"})
      QTest::mouseClick(w.findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    QApplication::processEvents();
    const QImage shown = w.screen()->grabWindow(w.winId()).toImage();
    for (const char* name : {"MainView_pbx", "ZoomView_pbx", "Graph_pbx"}) {
      const auto* picture = w.findChild<DrawingSurface*>(QLatin1String(name));
      // Both device pixels of the one-pixel border, all round.
      const QRect r(picture->mapTo(&w, QPoint(0, 0)) * 2, picture->size() * 2);
      const QRect visible = r.intersected(shown.rect());
      int wrong = 0;
      for (int y = visible.top(); y <= visible.bottom(); ++y)
        for (int x = visible.left(); x <= visible.right(); ++x) {
          const bool edge =
              x - r.left() < 2 || r.right() - x < 2 || y - r.top() < 2 || r.bottom() - y < 2;
          const QPoint logical((x - r.left()) / 2, (y - r.top()) / 2);
          if (edge && picture->visibleRegion().contains(logical))
            wrong += shown.pixel(x, y) != qRgb(128, 128, 128);
        }
      QVERIFY2(wrong == 0, name);  // border pixels left over from before
    }
  }
};

int main(int argc, char* argv[]) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  TestHighDpi test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_high_dpi.moc"
