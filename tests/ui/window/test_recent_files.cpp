// File's recent files as the settings hold them, damaged ones included: an entry longer
// than the system's path limit is dropped as the list is read, and a message that names a
// long path shows its start and end only.
#include <QtTest>
#include <QtWidgets>
#include <climits>
#include <memory>

#include "support/ScriptedDialogs.h"
#include "ui/window/Dialogs.h"
#include "ui/window/LineArrayForm.h"

using namespace tarnwick;
using Answer = UserDialogs::Answer;

namespace {

const QChar Ellipsis(0x2026);

void StoreRecent(const QStringList& paths) {
  QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick"))
      .setValue(QStringLiteral("RecentFiles"), paths);
}

}  // namespace

class TestRecentFiles : public QObject {
  Q_OBJECT

  QTemporaryDir settings_;  // the user's settings, this test's own
  QTemporaryDir dir_;

 private slots:
  void initTestCase() {
    QVERIFY(settings_.isValid() && dir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
  }
  void cleanup() { QSettings(QStringLiteral("Quenvar"), QStringLiteral("Tarnwick")).clear(); }

  void aLongPathKeepsItsStartAndItsEndInAMessage() {
    const QString shortPath = QStringLiteral("/home/mo/Projects/Arena.qvd");
    QCOMPARE(ShownPath(shortPath), shortPath);
    const QString exact = QString(120, QLatin1Char('x'));
    QCOMPARE(ShownPath(exact), exact);
    const QString longPath = QStringLiteral("/start") + QString(5000, QLatin1Char('a')) +
                             QStringLiteral("/Arena Main Stage.qvd");
    const QString shown = ShownPath(longPath);
    QCOMPARE(shown.size(), 120);
    QVERIFY(shown.startsWith(QStringLiteral("/startaaa")));
    QVERIFY(shown.endsWith(QStringLiteral("aaa/Arena Main Stage.qvd")));
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
    const QString huge = QStringLiteral("/") + QString(1 << 20, QLatin1Char('h'));
    const QString atLimit = QStringLiteral("/") + QString(PATH_MAX - 1, QLatin1Char('l'));
    const QString folder = dir_.path() + QLatin1Char('/');
    const QString within = folder + QString(PATH_MAX - 1 - folder.size() - 10, QLatin1Char('w')) +
                           QStringLiteral("/gone1.qvd");
    const QString plain = folder + QStringLiteral("gone2.qvd");
    QCOMPARE(QFile::encodeName(within).size(), PATH_MAX - 1);
    StoreRecent({huge, atLimit, within, plain});

    LineArray_frm window;
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& asked = *dialogs;
    window.SetDialogs(std::move(dialogs));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QElapsedTimer clock;
    clock.start();
    emit window.findChild<QMenu*>(QStringLiteral("File_men"))->aboutToShow();
    const auto entry = [&](int i) {
      return window.findChild<QAction*>(QStringLiteral("RecentFile_men(%1)").arg(i));
    };
    QVERIFY(entry(0)->isVisible() && entry(1)->isVisible());
    QVERIFY(!entry(2)->isVisible() && !entry(3)->isVisible());
    QVERIFY(entry(0)->text().endsWith(QStringLiteral("gone1.qvd")));
    QVERIFY(entry(1)->text().endsWith(QStringLiteral("gone2.qvd")));
    // The path within the limit is told shortened, start and end kept; the ordinary one in
    // full. Each gone file leaves the list.
    asked.Answers = {Answer::No, Answer::No};
    entry(0)->trigger();
    const QString told = asked.Log.last();
    QVERIFY2(told.startsWith(QStringLiteral("tell Open Error: The file is no longer there:\n") +
                             folder.left(20)),
             qPrintable(told.left(200)));
    QVERIFY(told.size() < 300 && told.contains(Ellipsis));
    QVERIFY(told.endsWith(QStringLiteral("wwww/gone1.qvd [critical]")));
    QVERIFY(entry(0)->text().endsWith(QStringLiteral("gone2.qvd")) && !entry(1)->isVisible());
    entry(0)->trigger();
    QCOMPARE(
        asked.Log.last(),
        QStringLiteral("tell Open Error: The file is no longer there:\n%1 [critical]").arg(plain));
    QVERIFY(!entry(0)->isVisible());
    QVERIFY(clock.elapsed() < 5000);
  }
};

QTEST_MAIN(TestRecentFiles)
#include "test_recent_files.moc"
