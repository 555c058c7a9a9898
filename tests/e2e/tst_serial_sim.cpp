// The panel's own serial line (QtSerialLine) opened on the simulator's
// pseudo-terminal: commands go out as written and replies come back whole,
// even where they are longer than the receive threshold.

#include "platform/qtserialline.h"
#include "platform/qtsettingsstore.h"
#include "support/privatesettings.h"
#include "support/simprocess.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace orrinet;
using namespace orrinet::testing;
using namespace Qt::StringLiterals;

namespace {
constexpr int kComPort = 11;
constexpr int kReplyTimeoutMs = 3000;
} // namespace

class TestSerialSim : public QObject
{
    Q_OBJECT

public:
private Q_SLOTS:
    void initTestCase()
    {
        m_sim = std::make_unique<SimProcess>(qEnvironmentVariable("XDG_CONFIG_HOME"),
                                             QStringList{u"--com"_s, QString::number(kComPort)});
        QVERIFY2(m_sim->isRunning(), qPrintable(m_sim->errorString()));
        // Made after the simulator wrote its port mapping: a settings object
        // reads the file when it is created.
        m_settings = std::make_unique<QtSettingsStore>();
        m_line = std::make_unique<QtSerialLine>(*m_settings);
        m_line->setPortNumber(kComPort);
        QVERIFY2(m_line->open(), qPrintable(m_line->errorString()));
        QCOMPARE(m_line->device(), m_sim->ptyPath());
    }

    void cleanupTestCase()
    {
        m_line.reset();
        m_settings.reset();
        m_sim.reset();
    }

    // Each reply arrives in one receive event, terminator included, although
    // the threshold is the panel's (shorter for the status and longitude).
    void exchange_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QString>("pattern");

        QTest::newRow("RA") << u":GR#"_s << 9 << u"^\\d\\d:\\d\\d:\\d\\d#$"_s;
        QTest::newRow("DEC, 0xDF mark") << u":GD#"_s << 10 << u"^[+-]\\d\\d\u00DF\\d\\d:\\d\\d#$"_s;
        QTest::newRow("status, longer than 3") << u":GW#"_s << 3 << u"^[APG][TNS][0123HP]#$"_s;
        QTest::newRow("longitude, longer than 7")
            << u":Gg#"_s << 7 << u"^[+-]\\d\\d\\d\u00DF\\d\\d#$"_s;
        QTest::newRow("Autostar display") << u":ED#"_s << 30 << u"^.{33}#$"_s;
    }

    void exchange()
    {
        QFETCH(QString, command);
        QFETCH(int, threshold);
        QFETCH(QString, pattern);

        QSignalSpy received(m_line.get(), &SerialPort::received);
        // The event kind is only valid while the event is being delivered.
        int kind = SerialPort::EventNone;
        const auto seen = connect(m_line.get(), &SerialPort::received, this,
                                  [&] { kind = m_line->commEvent(); });
        m_line->setReceiveThreshold(threshold);
        QVERIFY(m_line->write(command));
        QVERIFY(received.wait(kReplyTimeoutMs));
        disconnect(seen);
        QCOMPARE(kind, int(SerialPort::EventReceive));
        const QString reply = m_line->readAll();
        QVERIFY2(QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
                     .match(reply)
                     .hasMatch(),
                 qPrintable(u"reply %1"_s.arg(reply)));
        // Nothing of the reply comes late.
        QVERIFY(!received.wait(100));
        QCOMPARE(m_line->readAll(), QString());
    }

    // An unknown command gets no reply at all.
    void unknownCommandIsSilent()
    {
        QSignalSpy received(m_line.get(), &SerialPort::received);
        m_line->setReceiveThreshold(1);
        QVERIFY(m_line->write(u":XYZ#"_s));
        QVERIFY(!received.wait(300));
    }

private:
    std::unique_ptr<QtSettingsStore> m_settings;
    std::unique_ptr<SimProcess> m_sim;
    std::unique_ptr<QtSerialLine> m_line;
};

ORRINET_E2E_MAIN(TestSerialSim)

#include "tst_serial_sim.moc"
