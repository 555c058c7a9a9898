#include "coords/coordinates.h"
#include "link/protocol.h"

#include <QRandomGenerator>
#include <QTest>
#include <climits>

namespace orrinet {

// Readable failure output for QCOMPARE.
char *toString(const ListPositions &p)
{
    return QTest::toString(QStringLiteral("{%1,%2,%3,%4,%5,%6,%7}")
                               .arg(p.raH)
                               .arg(p.raM)
                               .arg(p.raS)
                               .arg(p.decSign)
                               .arg(p.decD)
                               .arg(p.decM)
                               .arg(p.decS));
}

char *toString(const ListUpdate &u)
{
    QStringList parts;
    for (const std::optional<int> &v : {u.raH, u.raM, u.raS, u.decSign, u.decD, u.decM, u.decS})
        parts << (v ? QString::number(*v) : QStringLiteral("keep"));
    return QTest::toString(QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}'));
}

} // namespace orrinet

using namespace orrinet;

namespace {

// Replies arrive as one character per byte; the whole literal counts, NULs included.
template <qsizetype N> QString wire(const char (&bytes)[N])
{
    return QString::fromLatin1(bytes, N - 1);
}

// A DEC reply with '*' standing for the degree mark the telescope sends (0xDF).
QString withMark(const char *text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('*'), QChar(0xDF));
}

constexpr std::optional<int> keep = std::nullopt;

ListUpdate update(std::optional<int> raH, std::optional<int> raM, std::optional<int> raS,
                  std::optional<int> decSign, std::optional<int> decD, std::optional<int> decM,
                  std::optional<int> decS)
{
    ListUpdate u;
    u.raH = raH;
    u.raM = raM;
    u.raS = raS;
    u.decSign = decSign;
    u.decD = decD;
    u.decM = decM;
    u.decS = decS;
    return u;
}

ListPositions positions(int raH, int raM, int raS, int decSign, int decD, int decM, int decS)
{
    return ListPositions{raH, raM, raS, decSign, decD, decM, decS};
}

} // namespace

class TestCoordinates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listItems_data();
    void listItems();
    void fillOrder();

    void twoDigits_data();
    void twoDigits();
    void twoDigitField_data();
    void twoDigitField();

    void targetTexts_data();
    void targetTexts();

    void decodeReplies_data();
    void decodeReplies();
    void applyAfterGet_data();
    void applyAfterGet();
    void commandsDecodeBackToTheirPositions();
    void randomBytesNeverBreakTheDecoder();
};

void TestCoordinates::listItems_data()
{
    QTest::addColumn<CoordinateList>("list");
    QTest::addColumn<int>("count");
    QTest::addColumn<QChar>("unit");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QString>("firstText");
    QTest::addColumn<QString>("lastText");

    QTest::newRow("RA hours") << CoordinateList::RaHours << 24 << QChar('h') << false << "00h"
                              << "23h";
    QTest::newRow("RA minutes") << CoordinateList::RaMinutes << 60 << QChar('m') << false << "00m"
                                << "59m";
    QTest::newRow("RA seconds") << CoordinateList::RaSeconds << 60 << QChar('s') << false << "00s"
                                << "59s";
    QTest::newRow("DEC degrees") << CoordinateList::DecDegrees << 90 << QChar('d') << true << "89d"
                                 << "00d";
    QTest::newRow("DEC minutes") << CoordinateList::DecMinutes << 60 << QChar('m') << false << "00m"
                                 << "59m";
    QTest::newRow("DEC seconds") << CoordinateList::DecSeconds << 60 << QChar('s') << false << "00s"
                                 << "59s";
}

void TestCoordinates::listItems()
{
    QFETCH(CoordinateList, list);
    QFETCH(int, count);
    QFETCH(QChar, unit);
    QFETCH(bool, descending);
    QFETCH(QString, firstText);
    QFETCH(QString, lastText);

    const QList<ListItem> items = coordinateListItems(list);
    QCOMPARE(items.size(), count);
    QCOMPARE(items.first().text, firstText);
    QCOMPARE(items.last().text, lastText);
    for (int k = 0; k < count; ++k) {
        const ListItem &item = items.at(k);
        const int value = descending ? count - 1 - k : k;
        QCOMPARE(item.data, value);
        // The text shows the same number as the data, two digits and the unit.
        QCOMPARE(item.text.size(), 3);
        QCOMPARE(item.text.at(2), unit);
        bool ok = false;
        QCOMPARE(item.text.left(2).toInt(&ok), value);
        QVERIFY(ok);
    }
    if (descending) {
        // Selecting a degree value and reading it back go through the same 89 - x.
        for (int k = 0; k < count; ++k) {
            QCOMPARE(decDegreesAtListPosition(k), items.at(k).data);
            QCOMPARE(decDegreesListPosition(items.at(k).data), k);
        }
    }
}

void TestCoordinates::fillOrder()
{
    const QList<ListItem> sign = coordinateListItems(CoordinateList::DecSign);
    QCOMPARE(sign, (QList<ListItem>{{QStringLiteral("+"), 0}, {QStringLiteral("-"), 1}}));

    const std::array<CoordinateList, 7> expected{
        CoordinateList::RaHours,    CoordinateList::RaMinutes,  CoordinateList::RaSeconds,
        CoordinateList::DecSign,    CoordinateList::DecDegrees, CoordinateList::DecMinutes,
        CoordinateList::DecSeconds,
    };
    QVERIFY(coordinateListFillOrder == expected);
}

void TestCoordinates::twoDigits_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << 0 << "00";
    QTest::newRow("below ten") << 5 << "05";
    QTest::newRow("two digits") << 45 << "45";
    QTest::newRow("three digits") << 100 << "100";
    QTest::newRow("no selection") << -1 << "-01";
    QTest::newRow("negative two digits") << -45 << "-45";
    QTest::newRow("lowest int") << INT_MIN << "-2147483648";
}

void TestCoordinates::twoDigits()
{
    QFETCH(int, value);
    QFETCH(QString, text);
    QCOMPARE(orrinet::twoDigits(value), text);
}

void TestCoordinates::twoDigitField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");

    QTest::newRow("two digits") << "45"
                                << "45";
    QTest::newRow("one digit") << "5"
                               << "05";
    QTest::newRow("leading zero") << "07"
                                  << "07";
    QTest::newRow("leading blank") << " 5"
                                   << "05";
    QTest::newRow("trailing blank") << "5 "
                                    << "05";
    QTest::newRow("plus sign") << "+5"
                               << "05";
    QTest::newRow("minus sign") << "-5"
                                << "-05";
    QTest::newRow("three digits") << "123"
                                  << "123";
    QTest::newRow("fraction rounds down") << "1.4"
                                          << "01";
    QTest::newRow("half rounds away from zero") << "2.5"
                                                << "03";
    QTest::newRow("negative half") << "-2.5"
                                   << "-03";
    QTest::newRow("point without fraction") << "0."
                                            << "0.";
    QTest::newRow("point without digits before") << ".5"
                                                 << ".5";
    QTest::newRow("terminator") << "5#"
                                << "5#";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("blank") << " "
                           << " ";
    QTest::newRow("sign only") << "+"
                               << "+";
    QTest::newRow("exponent") << "1e5"
                              << "1e5";
    QTest::newRow("hex") << "0x1"
                         << "0x1";
    QTest::newRow("tab is not a blank") << "\t5"
                                        << "\t5";
    QTest::newRow("superscript digit") << wire("\xB2") << wire("\xB2");
}

void TestCoordinates::twoDigitField()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QCOMPARE(orrinet::twoDigitField(field), text);
}

void TestCoordinates::targetTexts_data()
{
    QTest::addColumn<ListPositions>("lists");
    QTest::addColumn<QString>("raCommand");
    QTest::addColumn<QString>("decCommand");
    QTest::addColumn<QString>("text");

    QTest::newRow("5h7m9s, -7 30 0")
        << positions(5, 7, 9, 1, 82, 30, 0) << ":Sr 05:07:09#"
        << ":Sd -07:30:00#" << QString::fromUtf8("RA 05h 07m 09s  DEC -07\u00B0 30' 00\"");
    QTest::newRow("degree position 0 is 89")
        << positions(0, 0, 0, 0, 0, 0, 0) << ":Sr 00:00:00#"
        << ":Sd +89:00:00#" << QString::fromUtf8("RA 00h 00m 00s  DEC +89\u00B0 00' 00\"");
    QTest::newRow("minus with 0 degrees")
        << positions(12, 0, 0, 1, 89, 0, 0) << ":Sr 12:00:00#"
        << ":Sd -00:00:00#" << QString::fromUtf8("RA 12h 00m 00s  DEC -00\u00B0 00' 00\"");
    QTest::newRow("largest values")
        << positions(23, 59, 59, 0, 0, 59, 59) << ":Sr 23:59:59#"
        << ":Sd +89:59:59#" << QString::fromUtf8("RA 23h 59m 59s  DEC +89\u00B0 59' 59\"");
    QTest::newRow("degree list unselected is 90")
        << positions(1, 2, 3, 0, -1, 4, 5) << ":Sr 01:02:03#"
        << ":Sd +90:04:05#" << QString::fromUtf8("RA 01h 02m 03s  DEC +90\u00B0 04' 05\"");
    QTest::newRow("sign unselected is minus")
        << positions(1, 2, 3, -1, 44, 4, 5) << ":Sr 01:02:03#"
        << ":Sd -45:04:05#" << QString::fromUtf8("RA 01h 02m 03s  DEC -45\u00B0 04' 05\"");
    QTest::newRow("nothing selected")
        << ListPositions{} << ":Sr -01:-01:-01#"
        << ":Sd -90:-01:-01#" << QString::fromUtf8("RA -01h -01m -01s  DEC -90\u00B0 -01' -01\"");
}

void TestCoordinates::targetTexts()
{
    QFETCH(ListPositions, lists);
    QFETCH(QString, raCommand);
    QFETCH(QString, decCommand);
    QFETCH(QString, text);

    QCOMPARE(raTargetCommand(lists), raCommand);
    QCOMPARE(decTargetCommand(lists), decCommand);
    QCOMPARE(coordinateText(lists), text);
}

void TestCoordinates::decodeReplies_data()
{
    QTest::addColumn<QString>("ra");
    QTest::addColumn<QString>("dec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ListUpdate>("lists");

    const QString target = withMark("+45*30:15#");
    QTest::newRow("long forms") << wire("12:34:56#") << target
                                << QString::fromUtf8("RA 12h 34m 56s  DEC +45\u00B0 30' 15\"")
                                << update(12, 34, 56, 0, 44, 30, 15);
    QTest::newRow("colon as degree mark")
        << wire("12:34:56#") << wire("+45:30:15#")
        << QString::fromUtf8("RA 12h 34m 56s  DEC +45\u00B0 30' 15\"")
        << update(12, 34, 56, 0, 44, 30, 15);
    QTest::newRow("minus with 0 degrees")
        << wire("00:00:00#") << withMark("-00*00:00#")
        << QString::fromUtf8("RA 00h 00m 00s  DEC -00\u00B0 00' 00\"")
        << update(0, 0, 0, 1, 89, 0, 0);
    QTest::newRow("89 degrees") << wire("23:59:59#") << withMark("+89*59:59#")
                                << QString::fromUtf8("RA 23h 59m 59s  DEC +89\u00B0 59' 59\"")
                                << update(23, 59, 59, 0, 0, 59, 59);
    QTest::newRow("exactly 90 clears degrees")
        << wire("06:00:00#") << withMark("+90*00:00#")
        << QString::fromUtf8("RA 06h 00m 00s  DEC +90\u00B0 00' 00\"")
        << update(6, 0, 0, 0, noSelection, 0, 0);
    QTest::newRow("minus 90 clears degrees")
        << wire("06:00:00#") << withMark("-90*00:00#")
        << QString::fromUtf8("RA 06h 00m 00s  DEC -90\u00B0 00' 00\"")
        << update(6, 0, 0, 1, noSelection, 0, 0);
    QTest::newRow("over 90 keeps degrees")
        << wire("06:00:00#") << withMark("+91*00:00#")
        << QString::fromUtf8("RA 06h 00m 00s  DEC +91\u00B0 00' 00\"")
        << update(6, 0, 0, 0, keep, 0, 0);
    QTest::newRow("short RA, seconds not numeric")
        << wire("12:34.5#") << target << QString::fromUtf8("RA 12h 34m 5#s  DEC +45\u00B0 30' 15\"")
        << update(12, 34, keep, 0, 44, 30, 15);
    QTest::newRow("short DEC, no arc seconds")
        << wire("12:34:56#") << withMark("-45*30#")
        << QString::fromUtf8("RA 12h 34m 56s  DEC -45\u00B0 30' \"")
        << update(12, 34, 56, 1, 44, 30, keep);
    QTest::newRow("sign other than minus is plus")
        << wire("12:34:56#") << withMark("x45*30:15#")
        << QString::fromUtf8("RA 12h 34m 56s  DEC x45\u00B0 30' 15\"")
        << update(12, 34, 56, 0, 44, 30, 15);
    QTest::newRow("blank sign is plus")
        << wire("12:34:56#") << withMark(" 45*30:15#")
        << QString::fromUtf8("RA 12h 34m 56s  DEC  45\u00B0 30' 15\"")
        << update(12, 34, 56, 0, 44, 30, 15);
    QTest::newRow("blank-padded fields")
        << wire(" 2: 4: 6#") << withMark("- 5* 7: 9#")
        << QString::fromUtf8("RA 02h 04m 06s  DEC -05\u00B0 07' 09\"")
        << update(2, 4, 6, 1, 84, 7, 9);
    QTest::newRow("no such list item")
        << wire("24:60:60#") << withMark("+45*60:99#")
        << QString::fromUtf8("RA 24h 60m 60s  DEC +45\u00B0 60' 99\"")
        << update(keep, keep, keep, 0, 44, keep, keep);
    QTest::newRow("negative fields")
        << wire("-1:-0:-5#") << withMark("+-1*-1:-0#")
        << QString::fromUtf8("RA -01h 00m -05s  DEC +-01\u00B0 -01' 00\"")
        << update(keep, 0, keep, 0, keep, keep, 0);
    QTest::newRow("point in field") << wire("0.:5.:.5#") << target
                                    << QString::fromUtf8("RA 0.h 5.m .5s  DEC +45\u00B0 30' 15\"")
                                    << update(keep, keep, keep, 0, 44, 30, 15);
    QTest::newRow("empty replies")
        << QString() << QString() << QString::fromUtf8("RA h m s  DEC \u00B0 ' \"")
        << update(keep, keep, keep, 0, keep, keep, keep);
    QTest::newRow("terminators only")
        << wire("#") << wire("#") << QString::fromUtf8("RA #h m s  DEC #\u00B0 ' \"")
        << update(keep, keep, keep, 0, keep, keep, keep);
    QTest::newRow("one character short")
        << wire("12:34:5") << withMark("-45*30:1")
        << QString::fromUtf8("RA 12h 34m 05s  DEC -45\u00B0 30' 01\"")
        << update(12, 34, 5, 1, 44, 30, 1);
    QTest::newRow("over-long replies")
        << wire("12:34:56#01:02:03#") << withMark("+45*30:15#-01*02:03#")
        << QString::fromUtf8("RA 12h 34m 56s  DEC +45\u00B0 30' 15\"")
        << update(12, 34, 56, 0, 44, 30, 15);
    QTest::newRow("garbage") << wire("ab:cd:ef#") << wire("\xFF\x00y\x01zz:\x00\x7F#")
                             << QString::fromUtf8("RA abh cdm efs  DEC ") + wire("\xFF\x00y") +
                                    QString::fromUtf8("\u00B0 zz' ") + wire("\x00\x7F") +
                                    QLatin1Char('"')
                             << update(keep, keep, keep, 0, keep, keep, keep);
}

void TestCoordinates::decodeReplies()
{
    QFETCH(QString, ra);
    QFETCH(QString, dec);
    QFETCH(QString, text);
    QFETCH(ListUpdate, lists);

    const ReceivedCoordinates received = decodeCoordinateReplies(ra, dec);
    QCOMPARE(received.text, text);
    QCOMPARE(received.lists, lists);
}

void TestCoordinates::applyAfterGet_data()
{
    QTest::addColumn<ListPositions>("before");
    QTest::addColumn<QString>("ra");
    QTest::addColumn<QString>("dec");
    QTest::addColumn<ListPositions>("after");

    const ListPositions current = positions(3, 4, 17, 1, 6, 7, 8);
    QTest::newRow("all lists set") << current << wire("12:34:56#") << withMark("+45*30:15#")
                                   << positions(12, 34, 56, 0, 44, 30, 15);
    QTest::newRow("short RA keeps seconds") << current << wire("12:34.5#") << withMark("+45*30:15#")
                                            << positions(12, 34, 17, 0, 44, 30, 15);
    QTest::newRow("exactly 90 leaves no degree selection")
        << current << wire("12:34:56#") << withMark("+90*30:15#")
        << positions(12, 34, 56, 0, noSelection, 30, 15);
    QTest::newRow("over 90 keeps degree selection")
        << current << wire("12:34:56#") << withMark("-95*30:15#")
        << positions(12, 34, 56, 1, 6, 30, 15);
    QTest::newRow("empty replies only reset the sign")
        << current << QString() << QString() << positions(3, 4, 17, 0, 6, 7, 8);
    QTest::newRow("from nothing selected")
        << ListPositions{} << wire("01:02:xx#") << withMark("-03*04:05#")
        << positions(1, 2, noSelection, 1, 86, 4, 5);
}

void TestCoordinates::applyAfterGet()
{
    QFETCH(ListPositions, before);
    QFETCH(QString, ra);
    QFETCH(QString, dec);
    QFETCH(ListPositions, after);

    QCOMPARE(applyListUpdate(before, decodeCoordinateReplies(ra, dec).lists), after);
}

// A target command without its ":Sr " / ":Sd " prefix has the shape of the
// matching reply, so every selectable position must survive the trip.
void TestCoordinates::commandsDecodeBackToTheirPositions()
{
    for (int raH = 0; raH < 24; ++raH) {
        for (int decD = noSelection; decD < 90; ++decD) {
            for (int decSign = 0; decSign < 2; ++decSign) {
                const int step = raH * 90 + decD + 1;
                const ListPositions target = positions(raH, step % 60, (step * 7) % 60, decSign,
                                                       decD, (step * 11) % 60, (step * 13) % 60);
                const QString ra = raTargetCommand(target);
                const QString dec = decTargetCommand(target);
                QCOMPARE(ra.size(), 13);
                QCOMPARE(dec.size(), 14);

                const ReceivedCoordinates back =
                    decodeCoordinateReplies(ra.sliced(4), dec.sliced(4));
                QCOMPARE(back.text, coordinateText(target));
                QCOMPARE(applyListUpdate(ListPositions{}, back.lists), target);
            }
        }
    }
}

void TestCoordinates::randomBytesNeverBreakTheDecoder()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 20000; ++round) {
        QString replies[2];
        for (QString &reply : replies) {
            const int length = int(random.bounded(16));
            for (int i = 0; i < length; ++i)
                reply.append(QChar(char16_t(random.bounded(256))));
        }
        const ReceivedCoordinates got = decodeCoordinateReplies(replies[0], replies[1]);

        QVERIFY(got.text.startsWith(QLatin1String("RA ")));
        QVERIFY(got.text.contains(QLatin1String("s  DEC ")));
        QVERIFY(got.text.endsWith(QLatin1Char('"')));
        const auto inRange = [](const std::optional<int> &v, int first, int last) {
            return !v || (*v >= first && *v <= last);
        };
        QVERIFY(inRange(got.lists.raH, 0, 23));
        QVERIFY(inRange(got.lists.raM, 0, 59));
        QVERIFY(inRange(got.lists.raS, 0, 59));
        QVERIFY(got.lists.decSign.has_value());
        QVERIFY(inRange(got.lists.decSign, 0, 1));
        QVERIFY(inRange(got.lists.decD, noSelection, 89));
        QVERIFY(inRange(got.lists.decM, 0, 59));
        QVERIFY(inRange(got.lists.decS, 0, 59));
    }
}

QTEST_APPLESS_MAIN(TestCoordinates)

#include "tst_coordinates.moc"
