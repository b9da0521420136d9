#include "common/Colour.h"
#include "common/Module1.h"
#include "common/Module2.h"
#include "common/PaletteSharingStyle.h"
#include "common/RandomSource.h"
#include "exercises/frame/AnswerBox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <cmath>
#include <set>

class tst_Module1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Palettes with the same colours are drawn as one (one key in the style's caches),
    // each still in its own state: a disabled control keeps its greyed colours.
    void sharedPalettes_data()
    {
        QTest::addColumn<QPalette::ColorGroup>("group");
        QTest::newRow("active") << QPalette::Active;
        QTest::newRow("disabled") << QPalette::Disabled;
        QTest::newRow("inactive") << QPalette::Inactive;
    }

    void sharedPalettes()
    {
        QFETCH(QPalette::ColorGroup, group);
        PaletteSharingStyle style;
        const auto built = [](QPalette::ColorGroup current, Bgr back) {
            QPalette palette = QApplication::palette();
            palette.setColor(QPalette::Button, Colour::toQColor(back));
            palette.setCurrentColorGroup(current);
            return palette;
        };
        // Another state drawn first must not lend its colours.
        style.shared(built(group == QPalette::Active ? QPalette::Disabled : QPalette::Active, 0xE0E0E0));
        const QPalette first = style.shared(built(group, 0xE0E0E0));
        const QPalette again = style.shared(built(group, 0xE0E0E0));
        QCOMPARE(first.currentColorGroup(), group);
        QCOMPARE(again.cacheKey(), first.cacheKey());
        QVERIFY(style.shared(built(group, 0x00C000)).cacheKey() != first.cacheKey());
        QCOMPARE(style.paletteCount(), std::size_t(3));
    }

    // What is pasted into an answer box is what the box shows and what is judged:
    // control characters are blanks, and a paste longer than the box is cut
    // between characters, never inside one.
    void answerBoxTakesPastes_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<int>("room");
        QTest::addColumn<QString>("shown");
        QTest::newRow("line break") << "orvosnak\n" << 32767 << "orvosnak ";
        QTest::newRow("tab, CR LF") << "\tor\r\n" << 32767 << " or  ";
        QTest::newRow("SOH, ESC, DEL") << "a\x01" "b\x1b\x7f" << 32767 << "a b  ";
        QTest::newRow("line and paragraph separators") << QStringLiteral(u"a\u2028b\u2029") << 32767 << "a b ";
        QTest::newRow("emoji that would be cut in half") << QStringLiteral(u"abcd😀") << 5 << "abcd";
        QTest::newRow("emoji that fits") << QStringLiteral(u"abc😀") << 5 << QStringLiteral(u"abc😀");
        QTest::newRow("right-to-left text kept") << QStringLiteral(u"שלום مرحبا") << 32767
                                                 << QStringLiteral(u"שלום مرحبا");
        QTest::newRow("decomposed letters composed") << QStringLiteral(u"o\u030b e\u0301") << 32767
                                                     << QStringLiteral(u"ő é");
    }

    void answerBoxTakesPastes()
    {
        QFETCH(QString, pasted);
        QFETCH(int, room);
        QFETCH(QString, shown);
        AnswerBox box;
        box.setMaxLength(room);
        QGuiApplication::clipboard()->setText(pasted);
        QTest::keyClick(&box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box.text(), shown);
    }

    // Unlocking sets black 12-point text on the kind's edit colour, locking white text on
    // its lock colour; an unknown kind toggles the state but leaves the back colour.
    void toggleBox_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Bgr>("edit");
        QTest::addColumn<Bgr>("lock");
        QTest::newRow("a") << "a" << Bgr(13430476) << Bgr(43520);
        QTest::newRow("al") << "al" << Bgr(12304639) << Bgr(255);
        QTest::newRow("t") << "t" << Bgr(12644095) << Bgr(1096703);
        QTest::newRow("h") << "h" << Bgr(12307677) << Bgr(7838156);
        QTest::newRow("not in the table") << "x" << Bgr(0x123456) << Bgr(0x123456);
        QTest::newRow("wrong case") << "H" << Bgr(0x123456) << Bgr(0x123456);
        QTest::newRow("empty") << "" << Bgr(0x123456) << Bgr(0x123456);
    }

    void toggleBox()
    {
        QFETCH(QString, kind);
        QFETCH(Bgr, edit);
        QFETCH(Bgr, lock);
        Module1 shared;
        shared.SetColours();
        QLineEdit box;
        box.setReadOnly(true);
        Colour::setBackColor(&box, 0x123456);
        QFont font = box.font();
        font.setPointSizeF(9);
        box.setFont(font);

        shared.ToggleBox(&box, kind);
        QVERIFY(!box.isReadOnly());
        QCOMPARE(Colour::foreColor(&box), Colour::Black);
        QCOMPARE(Colour::backColor(&box), edit);
        QCOMPARE(box.font().pointSizeF(), 12.0);
        QCOMPARE(box.palette().color(QPalette::Base), Colour::toQColor(edit));

        shared.ToggleBox(&box, kind);
        QVERIFY(box.isReadOnly());
        QCOMPARE(Colour::foreColor(&box), Colour::White);
        QCOMPARE(Colour::backColor(&box), lock);
        QCOMPARE(box.font().pointSizeF(), 12.0);
    }

    void collapseSpaces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("collapsed");
        QTest::addColumn<int>("writes");
        // The box is written once whatever the number of runs, so a long paste cannot freeze it.
        QTest::newRow("three blanks") << "a   b" << "a b" << 1;
        QTest::newRow("leading pair") << "  a" << " a" << 1;
        QTest::newRow("trailing run") << "a    " << "a " << 1;
        QTest::newRow("several runs") << "a  b  c" << "a b c" << 1;
        QTest::newRow("20,000 blanks around") << QString(10000, u' ') + "orvosnak" + QString(10000, u' ')
                                             << " orvosnak " << 1;
        QTest::newRow("single blanks stay") << " a b " << " a b " << 0;
        QTest::newRow("empty") << "" << "" << 0;
    }

    void collapseSpaces()
    {
        QFETCH(QString, text);
        QFETCH(QString, collapsed);
        QFETCH(int, writes);
        QLineEdit box(text);
        int written = 0;
        connect(&box, &QLineEdit::textChanged, this, [&written] { ++written; });
        Module1::CollapseSpaces(&box);
        QCOMPARE(box.text(), collapsed);
        QCOMPARE(written, writes);
    }

    // L, C, F, T controls take the text (T as their text); every control but a C takes the colours.
    void setCaptionByFirstLetter()
    {
        QWidget parent;
        auto *button = new QPushButton(QStringLiteral("old"), &parent);
        auto *text = new QLineEdit(&parent);
        auto *label = new QLabel(QStringLiteral("old"), &parent);
        auto *image = new QLabel(QStringLiteral("old"), &parent);
        auto *lower = new QLabel(QStringLiteral("old"), &parent);
        const std::pair<QWidget *, const char *> controls[] = {
            {button, "Command5"}, {text, "Text1"}, {label, "Label3"}, {image, "Image1"}, {lower, "label9"}};
        for (const auto &[control, name] : controls) {
            control->setObjectName(QString::fromLatin1(name));
            Colour::setBackColor(control, 0x111111);
            Module1::SetCaption(control, QStringLiteral("new"), 0x7799CC, Colour::White);
        }
        QCOMPARE(button->text() + text->text() + label->text() + image->text() + lower->text(),
                 QStringLiteral("newnewnewoldold"));
        QCOMPARE(Colour::backColor(button), Bgr(0x111111));
        for (QWidget *coloured : std::initializer_list<QWidget *>{text, label, image, lower}) {
            QCOMPARE(Colour::backColor(coloured), Bgr(0x7799CC));
            QCOMPARE(Colour::foreColor(coloured), Colour::White);
        }
    }

    void colourLiterals_data()
    {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<Bgr>("value");
        QTest::newRow("lower case") << "&H7799cc" << Bgr(7838156);
        QTest::newRow("upper case") << "&H10BBFF" << Bgr(1096703);
        QTest::newRow("empty colour is black") << "" << Bgr(0);
        QTest::newRow("not a colour") << "blue" << Bgr(0);
    }

    void colourLiterals()
    {
        QFETCH(QString, literal);
        QFETCH(Bgr, value);
        QCOMPARE(Colour::fromLiteral(literal), value);
    }

    void centreFormCentresEvenWhenTooLarge()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QWidget small;
        small.resize(200, 100);
        CentreForm(&small);
        QCOMPARE(small.frameGeometry().center().x(), screen.center().x());
        QWidget large;
        large.resize(screen.width() + 200, screen.height() + 100);
        CentreForm(&large);
        QVERIFY(large.x() < 0);
        QVERIFY(large.y() < 0);
    }

    void drawStaysInRangeAndEnds()
    {
        // The largest value below 1 the generator can give: 60 * r + 51 rounds up to 111 in double.
        struct Edge final : RandomSource
        {
            double next() override { return std::nextafter(1.0, 0.0); }
        } nearOne;
        QCOMPARE(nearOne.draw(51, 110), 110);
        QCOMPARE(nearOne.draw(0, 50), 50);
        SeededRandom random(3);
        std::set<int> seen;
        for (int i = 0; i < 500; ++i)
            seen.insert(random.drawOpen(0, 9, [](int slot) { return slot % 3 == 0; }));
        QCOMPARE(seen, (std::set<int>{0, 3, 6, 9}));
        QCOMPARE(random.drawOpen(0, 9, [](int) { return false; }), -1);
    }
};

QTEST_MAIN(tst_Module1)
#include "tst_module1.moc"
