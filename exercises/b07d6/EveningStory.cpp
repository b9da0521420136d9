#include "EveningStory.h"

namespace {

const std::array<int, 6> rowTops{1200, 1800, 2400, 3000, 3600, 4200};

} // namespace

// Gap 1 opens the sentence when the subject is "én" or "te" (the name is gone
// from the row), so those answers start with a capital. Gap 20 has Karin as its
// subject and gap 21 a plural one, so they do not follow the person the same way.
const std::array<StoryGap, 22> eveningGaps{{
    // kind, base, {Anna, én, te}, row, left, width
    {u"al", u"van", {u"van", u"van", u"van"}, 0, 1920, 855},
    {u"al", u"belép", {u"belép", u"Belépek", u"Belépsz"}, 0, 3840, 1335},
    {u"h", u"a lakás", {u"a lakásba", u"a lakásba", u"a lakásba"}, 0, 5160, 1455},
    {u"h", u"A fürdőszoba", {u"A fürdőszobában", u"A fürdőszobában", u"A fürdőszobában"}, 0, 6840, 2295},
    {u"al", u"mos", {u"mos", u"mosok", u"mosol"}, 1, 960, 1215},
    {u"al", u"Bemegy", {u"Bemegy", u"Bemegyek", u"Bemész"}, 1, 2520, 1575},
    {u"t", u"vacsora", {u"vacsorát", u"vacsorát", u"vacsorát"}, 1, 5880, 1455},
    {u"al", u"készít", {u"készít", u"készítek", u"készítesz"}, 1, 7320, 1455},
    {u"al", u"iszik", {u"iszik", u"iszom", u"iszol"}, 2, 1080, 1215},
    {u"t", u"szendvics", {u"szendvicset", u"szendvicset", u"szendvicset"}, 2, 2880, 1935},
    {u"al", u"eszik", {u"eszik", u"eszem", u"eszel"}, 2, 4800, 1215},
    {u"al", u"kimegy", {u"kimegy", u"kimegyek", u"kimész"}, 2, 7320, 1695},
    {u"h", u"az erkély", {u"az erkélyre", u"az erkélyre", u"az erkélyre"}, 3, 120, 1575},
    {u"t", u"rádió", {u"rádiót", u"rádiót", u"rádiót"}, 3, 2400, 1095},
    {u"al", u"hallgat", {u"hallgat", u"hallgatok", u"hallgatsz"}, 3, 3480, 1455},
    {u"al", u"Bemegy", {u"Bemegy", u"Bemegyek", u"Bemész"}, 3, 5280, 1815},
    {u"h", u"a szoba", {u"a szobába", u"a szobába", u"a szobába"}, 3, 7080, 1575},
    {u"al", u"leül", {u"leül", u"leülök", u"leülsz"}, 4, 120, 1455},
    {u"h", u"az íróasztal", {u"az íróasztalhoz", u"az íróasztalhoz", u"az íróasztalhoz"}, 4, 1560, 2055},
    {u"al", u"tanul", {u"tanul", u"tanulok", u"tanulsz"}, 4, 4200, 1335},
    {u"al", u"telefonál", {u"telefonál", u"telefonál", u"telefonál"}, 4, 6480, 1455},
    {u"al", u"megy", {u"mennek", u"megyünk", u"mentek"}, 5, 1200, 1335},
}};

// The full stops and commas that close a row stand out in a larger size.
const std::array<StoryPiece, 18> eveningPieces{{
    // index, text, row, left, width, points, left-aligned
    {0, u"Délután fél 5", 0, 120, 1815},
    {1, u".  Anna", 0, 2760, 1095},
    {2, u". ", 0, 6600, 270, 13.5, true},
    {3, u"kezet", 1, 120, 855},
    {4, u".", 1, 2160, 375, 13.5, true},
    {5, u"a konyhába, ", 1, 4080, 1815},
    {6, u".", 1, 8760, 270, 13.5, true},
    {7, u"Teát", 2, 120, 975},
    {8, u", és", 2, 2280, 615},
    {9, u". Azután", 2, 6000, 1335},
    {10, u", és", 3, 1680, 735},
    {11, u".", 3, 4920, 375, 13.5},
    {12, u",", 3, 8640, 375, 13.5, true},
    {13, u", és", 4, 3600, 615, 13.5},
    {14, u". Este", 4, 5520, 975},
    {15, u"Karin.", 4, 7920, 1095},
    {16, u"Együtt", 5, 120, 1095},
    {17, u"moziba.", 5, 2520, 1215},
}};

const StoryDesign &eveningStory()
{
    static const StoryDesign design = [] {
        StoryDesign d;
        d.gaps = eveningGaps;
        d.pieces = eveningPieces;
        d.rowTops = rowTops;
        d.boxHeight = 435;
        d.gapFamily = QStringLiteral("MS Serif");
        d.pieceFamily = QStringLiteral("MS Serif");
        d.pieceBack = Colour::White;
        // Gap 0 is the verb of the opening sentence, which the learner writes in full.
        d.emptyGap = 0;
        d.heading = QStringLiteral("6.  Put in the missing words and suffixes.");
        d.headingPlace = {120, 600, 5415, 375};
        d.headingFore = Colour::White;
        d.headingBack = 0x808080;
        d.titleEnding = QStringLiteral(": 6.");
        d.personFieldName = QStringLiteral("Anna");
        d.personFieldPlace = {5640, 600, 1095, 375};
        d.persons = {QStringLiteral("Anna"), QStringLiteral("én"), QStringLiteral("te")};
        // The answers were loaded for the person chosen at Start.
        d.personFixedWhileRunning = true;
        return d;
    }();
    return design;
}
