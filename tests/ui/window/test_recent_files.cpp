// File's recent files as the settings hold them, damaged ones included: an entry longer
// than the system's path limit is dropped as the list is read, and a message that names a
// long path shows its start and end only.
#include <climits>

#include "support/WindowFixture.h"

using namespace tarnwick;

namespace {

const QChar Ellipsis(0x2026);

void StoreRecent(const QStringList& paths) {
  QSettings(u"Quenvar"_s, u"Tarnwick"_s).setValue(u"RecentFiles"_s, paths);
}

}  // namespace

class TestRecentFiles : public QObject, WindowFixture {
  Q_OBJECT

 private slots:
  void initTestCase() { Prepare(); }
  void init() { Reset(); }
  void cleanup() { Reset(); }

  void aLongPathKeepsItsStartAndItsEndInAMessage() {
    const QString shortPath = u"/home/mo/Projects/Arena.qvd"_s;
    QCOMPARE(ShownPath(shortPath), shortPath);
    const QString exact = QString(120, QLatin1Char('x'));
    QCOMPARE(ShownPath(exact), exact);
    const QString longPath =
        u"/start"_s + QString(5000, QLatin1Char('a')) + u"/Arena Main Stage.qvd"_s;
    const QString shown = ShownPath(longPath);
    QCOMPARE(shown.size(), 120);
    QVERIFY(shown.startsWith(u"/startaaa"_s));
    QVERIFY(shown.endsWith(u"aaa/Arena Main Stage.qvd"_s));
    QCOMPARE(shown.count(Ellipsis), 1);
    // A character beyond the basic plane is kept whole or left out, never cut in half.
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");  // two UTF-16 units
    for (int most = 20; most < 26; ++most) {
      const QString shownClefs = ShownPath(clef.repeated(40), most);
      QVERIFY(shownClefs.size() <= most && shownClefs.count(Ellipsis) == 1);
      const QString rest = QString(shownClefs).remove(Ellipsis);
      QVERIFY2(rest == clef.repeated(rest.size() / 2), qPrintable(QString::number(most)));
    }
  }

  void entriesBeyondThePathLimitAreDroppedAndGonePathsToldShortened() {
    // A megabyte of path, one of exactly the limit (no room for its terminating zero), one
    // just within it and an ordinary one; none of them there any more.
    const QString huge = u"/"_s + QString(1 << 20, QLatin1Char('h'));
    const QString atLimit = u"/"_s + QString(PATH_MAX - 1, QLatin1Char('l'));
    const QString folder = Path({}) + '/';
    const QString within =
        folder + QString(PATH_MAX - 1 - folder.size() - 10, QLatin1Char('w')) + u"/gone1.qvd"_s;
    const QString plain = folder + u"gone2.qvd"_s;
    QCOMPARE(QFile::encodeName(within).size(), PATH_MAX - 1);
    StoreRecent({huge, atLimit, within, plain});

    LineArray_frm& window = Open({}, false);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ScriptedDialogs& asked = Dialogs();
    QElapsedTimer clock;
    clock.start();
    emit Find<QMenu>("File_men")->aboutToShow();
    const auto entry = [&](int i) { return Find<QAction>(u"RecentFile_men(%1)"_s.arg(i)); };
    QVERIFY(entry(0)->isVisible() && entry(1)->isVisible());
    QVERIFY(!entry(2)->isVisible() && !entry(3)->isVisible());
    QVERIFY(entry(0)->text().endsWith(u"gone1.qvd"_s));
    QVERIFY(entry(1)->text().endsWith(u"gone2.qvd"_s));
    // The path within the limit is told shortened, start and end kept; the ordinary one in
    // full. Each gone file leaves the list.
    asked.Answers = {Answer::No, Answer::No};
    entry(0)->trigger();
    const QString told = asked.Log.last();
    QVERIFY2(
        told.startsWith(u"tell Open Error: The file is no longer there:\n"_s + folder.left(20)),
        qPrintable(told.left(200)));
    QVERIFY(told.size() < 300 && told.contains(Ellipsis));
    QVERIFY(told.endsWith(u"wwww/gone1.qvd [critical]"_s));
    QVERIFY(entry(0)->text().endsWith(u"gone2.qvd"_s) && !entry(1)->isVisible());
    entry(0)->trigger();
    QCOMPARE(asked.Log.last(),
             u"tell Open Error: The file is no longer there:\n%1 [critical]"_s.arg(plain));
    QVERIFY(!entry(0)->isVisible());
    QVERIFY(clock.elapsed() < 5000);
  }
};

QTEST_MAIN(TestRecentFiles)
#include "test_recent_files.moc"
