// What says which program this is: the About box's version, the same as the command line
// prints, and the window's icon, the icon theme's or, without one, the program's own.
#include "support/WindowFixture.h"
#include "ui/tools/RiggingForm.h"

using namespace tarnwick;

class TestAbout : public QObject, WindowFixture {
  Q_OBJECT

  // Lets a case choose where icon themes are looked for, and puts them back afterwards.
  struct ThemeChoice {
    const QStringList paths = QIcon::themeSearchPaths();
    const QString name = QIcon::themeName();
    ~ThemeChoice() {
      QIcon::setThemeSearchPaths(paths);
      QIcon::setThemeName(name);
    }
  };

 private slots:
  void cleanup() { Reset(); }

  void theAboutBoxShowsTheVersionTheCommandLinePrints() {
    const Ran ran = RunProgram({u"--version"_s});
    QVERIFY2(ran.status == 0 && ran.out.startsWith("tarnwick "_L1), ran.err.constData());
    const QString version = ran.out.trimmed().section(' ', 1);
    QVERIFY(!version.isEmpty());
    Open({}, false);
    Trigger("About_men");
    QCOMPARE(Label("About_lbl(2)"), u"Version "_s + version);
    // Each line whole, none over another.
    QList<QRect> lines;
    for (int i = 0; i < 3; ++i) {
      const auto* label = Find<QLabel>(u"About_lbl(%1)"_s.arg(i));
      QVERIFY2(label->isVisible() && label->sizeHint().width() <= label->width(),
               qPrintable(label->text()));
      for (const QRect& other : lines) QVERIFY(!other.intersects(label->geometry()));
      lines << label->geometry();
    }
  }

  void withoutAnIconThemeTheWindowShowsTheProgramsOwnIcon() {
    ThemeChoice restore;
    QIcon::setThemeSearchPaths({});
    QIcon::setThemeName(u"none"_s);
    LineArray_frm& w = Open({}, false);
    const QIcon icon = w.windowIcon();
    QVERIFY(!icon.isNull());
    // Every size the desktop installs, drawn as the installed files are.
    for (const int size : {16, 32, 48, 64, 128, 256}) {
      QVERIFY2(icon.availableSizes().contains(QSize(size, size)),
               qPrintable(QString::number(size)));
      const QImage own(
          u"%1/data/icons/%2x%2/com.quenvar.Tarnwick.png"_s.arg(TARNWICK_SOURCE_DIR).arg(size));
      QVERIFY(!own.isNull());
      QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
               own.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    // The windows beside it take it too.
    Trigger("RiggingTable_men");
    QCOMPARE(Find<Rigging_frm>(u"Rigging_frm"_s)->windowIcon().cacheKey(), icon.cacheKey());
  }

  void theIconThemesIconComesFirst() {
    ThemeChoice restore;
    const QTemporaryDir themes;
    QVERIFY(QDir().mkpath(themes.filePath(u"stage/48x48/apps"_s)));
    QFile index(themes.filePath(u"stage/index.theme"_s));
    QVERIFY(index.open(QIODevice::WriteOnly));
    index.write(
        "[Icon Theme]\nName=Stage\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    index.close();
    QImage red(48, 48, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(themes.filePath(u"stage/48x48/apps/com.quenvar.Tarnwick.png"_s)));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(u"stage"_s);
    const QImage shown = Open({}, false).windowIcon().pixmap(48).toImage();
    QCOMPARE(shown.pixelColor(24, 24), QColor(Qt::red));
  }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
