#include "MorningJourney.h"

namespace {

const std::array<int, 5> rowTops{2280, 2760, 3240, 3720, 4200};

} // namespace

// Place and time phrases take their suffix whoever travels; the verbs agree with the traveller.
const std::array<StoryGap, 23> journeyGaps{{
    // kind, base, {Laci, én, te}, row, left, width, picture
    {u"h", u"fél nyolc", {u"fél nyolckor", u"fél nyolckor", u"fél nyolckor"}, 0, 1560, 1455, 0},
    {u"al", u"kilép", {u"kilép", u"kilépek", u"kilépsz"}, 0, 3000, 1215, 0},
    {u"h", u"a ház", {u"a házból", u"a házból", u"a házból"}, 0, 4200, 1215, 0},
    {u"al", u"felszáll", {u"felszáll", u"felszállok", u"felszállsz"}, 0, 7080, 1215, 1},
    {u"h", u"a 7-es autóbusz", {u"a 7-es autóbuszra", u"a 7-es autóbuszra", u"a 7-es autóbuszra"}, 1, 240, 2055, 1},
    {u"h", u"A Körtér", {u"A Körtérnél", u"A Körtérnél", u"A Körtérnél"}, 1, 2520, 1455, 2},
    {u"al", u"leszáll", {u"leszáll", u"leszállok", u"leszállsz"}, 1, 3960, 1215, 2},
    {u"h", u"az autóbusz", {u"az autóbuszról", u"az autóbuszról", u"az autóbuszról"}, 1, 5160, 1575, 2},
    {u"al", u"Átmegy", {u"Átmegy", u"Átmegyek", u"Átmész"}, 1, 6960, 1455, 3},
    {u"h", u"az utca", {u"az utcán", u"az utcán", u"az utcán"}, 2, 240, 1095, 3},
    {u"h", u"a másik oldal", {u"a másik oldalon", u"a másik oldalon", u"a másik oldalon"}, 2, 1800, 1815, 4},
    {u"al", u"felszáll", {u"felszáll", u"felszállok", u"felszállsz"}, 2, 3600, 1215, 4},
    {u"h", u"a 6-os villamos", {u"a 6-os villamosra", u"a 6-os villamosra", u"a 6-os villamosra"}, 2, 4800, 2055, 4},
    {u"al", u"Leül", {u"Leül", u"Leülök", u"Leülsz"}, 2, 7080, 1215, 5},
    {u"h", u"A híd", {u"A hídnál", u"A hídnál", u"A hídnál"}, 3, 2040, 1335, 6},
    {u"al", u"feláll", {u"feláll", u"felállok", u"felállsz"}, 3, 3360, 1335, 6},
    {u"al", u"leszáll", {u"leszáll", u"leszállok", u"leszállsz"}, 3, 5280, 1215, 7},
    {u"h", u"a villamos", {u"a villamosról", u"a villamosról", u"a villamosról"}, 3, 6480, 1575, 7},
    {u"h", u"Nyolc óra", {u"Nyolc órakor", u"Nyolc órakor", u"Nyolc órakor"}, 4, 240, 1455, 8},
    {u"al", u"bemegy", {u"bemegy", u"bemegyek", u"bemész"}, 4, 1680, 1215, 8},
    {u"h", u"az E épület", {u"az E épületbe", u"az E épületbe", u"az E épületbe"}, 4, 2880, 1695, 8},
    {u"al", u"felmegy", {u"felmegy", u"felmegyek", u"felmész"}, 4, 5160, 1455, 9},
    {u"h", u"a harmadik emelet", {u"a harmadik emeletre", u"a harmadik emeletre", u"a harmadik emeletre"}, 4, 6600,
     2295, 9},
}};

// The blank before a full stop or comma keeps it clear of the gap box on its left.
const std::array<StoryPiece, 11> journeyPieces{{
    // index, text, row, left, width, points, left-aligned, family
    {0, u"Laci reggel", 0, 240, 1365, 12, true},
    {1, u" . A megállóban", 0, 5400, 1695, 12, true},
    {2, u" .", 1, 2280, 255, 12, true},
    {3, u" .", 1, 6720, 255, 12, true},
    {4, u", és", 2, 1320, 495, 12, true},
    {19, u".", 2, 6840, 255, 12, true, u"MS Serif"},
    {5, u"az ablak mellett.", 3, 255, 1815, 12, true},
    {7, u" , és", 3, 4680, 615, 12, true},
    {6, u" .", 3, 8160, 255, 12, true},
    {8, u" , és", 4, 4560, 495, 12, true},
    {9, u".", 4, 8880, 135, 12, true},
}};

const std::array<const char16_t *, StoryPictureCount> journeyScenes{
    u"Leaving the house at half past seven",
    u"Getting on bus number 7 at the stop",
    u"Getting off the bus at Körtér",
    u"Crossing the street",
    u"Getting on tram number 6 on the other side",
    u"Sitting at the window of the tram",
    u"Standing up at the bridge",
    u"Getting off the tram",
    u"Going into building E at eight o'clock",
    u"Going up to the third floor",
};

const std::array<const char16_t *, PersonCount> journeyHeadings{u"Laci reggel", u"(Én) reggel", u"(Te) reggel"};

const StoryDesign &morningJourney()
{
    static const StoryDesign design = [] {
        StoryDesign d;
        d.gaps = journeyGaps;
        d.pieces = journeyPieces;
        d.rowTops = rowTops;
        d.boxHeight = 405;
        d.pieceDrop = 0;
        d.gapFamily = QStringLiteral("Times New Roman");
        d.pieceFamily = QStringLiteral("Times New Roman");
        // The pieces read as running text on the window.
        d.pieceBack = 0xF0F0F0;
        d.piecesLocked = true;
        d.heading = QStringLiteral("3.  Put in the missing suffixes.");
        d.headingPlace = {120, 540, 3855, 375};
        d.headingFore = Colour::Black;
        d.headingBack = 0x808080;
        d.titleEnding = QStringLiteral(": 3.");
        d.personFieldName = QStringLiteral("Combo1");
        d.personFieldPlace = {4680, 540, 1095, 375};
        d.persons = {QStringLiteral("Laci"), QStringLiteral("én"), QStringLiteral("te")};
        d.collapseBlanks = true;
        d.dropDefaultWhenDone = true;
        return d;
    }();
    return design;
}
