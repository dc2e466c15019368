#include "platform/exit_signals.h"
#include "support/try_wait.h"

#include <QtTest>
#include <csignal>
#include <map>

class TestExitSignals : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
#ifdef Q_OS_UNIX
        // QtTest's own crash handler, which the program's must replace.
        for (const int signo : {SIGINT, SIGTERM, SIGHUP})
            ::sigaction(signo, nullptr, &m_before[signo]);
#endif
        m_signals = platform::ExitSignals::install(this);
        QVERIFY(m_signals);
    }

    void installIsIdempotent()
    {
        QCOMPARE(platform::ExitSignals::install(nullptr), m_signals);
    }

    void signalArrivesThroughEventLoop_data()
    {
        QTest::addColumn<int>("signo");
        QTest::addColumn<int>("times");
        QTest::newRow("SIGINT") << int(SIGINT) << 1;
        QTest::newRow("SIGTERM") << int(SIGTERM) << 1;
        // Each delivered request re-arms the handler; a lost re-arm would
        // end the test process at the second signal.
        QTest::newRow("SIGTERM three times") << int(SIGTERM) << 3;
        QTest::newRow("SIGINT twice") << int(SIGINT) << 2;
#ifdef SIGHUP
        // The terminal closed or the pupil logged out.
        QTest::newRow("SIGHUP") << int(SIGHUP) << 1;
        QTest::newRow("SIGHUP twice") << int(SIGHUP) << 2;
#endif
    }

    void signalArrivesThroughEventLoop()
    {
        QFETCH(int, signo);
        QFETCH(int, times);
        QSignalSpy spy(m_signals, &platform::ExitSignals::exitRequested);
        for (int i = 0; i < times; ++i) {
#ifdef Q_OS_UNIX
            // Without the program's handler the signal would end this test
            // program instead of failing the row.
            struct sigaction current = {};
            QCOMPARE(::sigaction(signo, nullptr, &current), 0);
            QVERIFY2(current.sa_handler != m_before[signo].sa_handler,
                     "the program does not handle this signal");
#endif
            std::raise(signo);
            // Not delivered from inside the handler, only by the event loop.
            QCOMPARE(spy.size(), i);
            QVERIFY(spy.wait(1000));
            QCOMPARE(spy.size(), i + 1);
            QCOMPARE(spy.at(i).at(0).toInt(), signo);
        }
    }

    void burstIsNotLost()
    {
        QSignalSpy spy(m_signals, &platform::ExitSignals::exitRequested);
        // Two different signals before the event loop runs: both arrive, in order.
        std::raise(SIGINT);
        std::raise(SIGTERM);
        TRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, 1000);
        QCOMPARE(spy.at(0).at(0).toInt(), int(SIGINT));
        QCOMPARE(spy.at(1).at(0).toInt(), int(SIGTERM));
    }

  private:
    platform::ExitSignals* m_signals = nullptr;
#ifdef Q_OS_UNIX
    std::map<int, struct sigaction> m_before;
#endif
};

QTEST_GUILESS_MAIN(TestExitSignals)
#include "tst_exit_signals.moc"
