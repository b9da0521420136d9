#include "SuffixLists.h"


const std::array<WordItem, 43> nallista{{
    {u"orvos", u"orvosnál"}, // 0
    {u"lépcső", u"lépcsőnél"}, // 1
    {u"templom", u"templomnál"}, // 2
    {u"tér", u"térnél"}, // 3
    {u"épület", u"épületnél"}, // 4
    {u"tanár", u"tanárnál"}, // 5
    {u"hegy", u"hegynél"}, // 6
    {u"igazgató", u"igazgatónál"}, // 7
    {u"pénztár", u"pénztárnál"}, // 8
    {u"mozi", u"mozinál"}, // 9
    {u"szekrény", u"szekrénynél"}, // 10
    {u"hidak", u"hidaknál"}, // 11
    {u"éttermek", u"éttermeknél"}, // 12
    {u"megállók", u"megállóknál"}, // 13
    {u"asztalok", u"asztaloknál"}, // 14
    {u"repülőterek", u"repülőtereknél"}, // 15
    {u"ablak", u"ablaknál"}, // 16
    {u"autó", u"autónál"}, // 17
    {u"ház", u"háznál"}, // 18
    {u"ágy", u"ágynál"}, // 19
    {u"autóbusz", u"autóbusznál"}, // 20
    {u"parkoló", u"parkolónál"}, // 21
    {u"híd", u"hídnál"}, // 22
    {u"étterem", u"étteremnél"}, // 23
    {u"asztal", u"asztalnál"}, // 24
    {u"hűtőszekrény", u"hűtőszekrénynél"}, // 25
    {u"tanárnő", u"tanárnőnél"}, // 26
    {u"sofőr", u"sofőrnél"}, // 27
    {u"szálloda", u"szállodánál"}, // 28
    {u"sofőrök", u"sofőröknél"}, // 29
    {u"újságíró", u"újságírónál"}, // 30
    {u"fa", u"fánál"}, // 31
    {u"egyetem", u"egyetemnél"}, // 32
    {u"folyó", u"folyónál"}, // 33
    {u"pályaudvar", u"pályaudvarnál"}, // 34
    {u"kép", u"képnél"}, // 35
    {u"lépcső", u"lépcsőnél"}, // 36
    {u"pincérek", u"pincéreknél"}, // 37
    {u"taxiállomás", u"taxiállomásnál"}, // 38
    {u"taxi", u"taxinál"}, // 39
    {u"telefon", u"telefonnál"}, // 40
    {u"tükör", u"tükörnél"}, // 41
    {u"tükrök", u"tükröknél"}, // 42
}};

const std::array<WordItem, 51> hozlista{{
    {u"tanárnő", u"tanárnőhöz"}, // 0
    {u"tér", u"térhez"}, // 1
    {u"megálló", u"megállóhoz"}, // 2
    {u"lift", u"lifthez"}, // 3
    {u"tükör", u"tükörhöz"}, // 4
    {u"posta", u"postához"}, // 5
    {u"lépcső", u"lépcsőhöz"}, // 6
    {u"ház", u"házhoz"}, // 7
    {u"szekrény", u"szekrényhez"}, // 8
    {u"fa", u"fához"}, // 9
    {u"mérnök", u"mérnökhöz"}, // 10
    {u"étterem", u"étteremhez"}, // 11
    {u"asztalok", u"asztalokhoz"}, // 12
    {u"pályaudvarok", u"pályaudvarokhoz"}, // 13
    {u"szerkesztők", u"szerkesztőkhöz"}, // 14
    {u"képek", u"képekhez"}, // 15
    {u"ablak", u"ablakhoz"}, // 16
    {u"autó", u"autóhoz"}, // 17
    {u"házak", u"házakhoz"}, // 18
    {u"ágy", u"ágyhoz"}, // 19
    {u"autóbusz", u"autóbuszhoz"}, // 20
    {u"parkoló", u"parkolóhoz"}, // 21
    {u"híd", u"hídhoz"}, // 22
    {u"ajtó", u"ajtóhoz"}, // 23
    {u"asztal", u"asztalhoz"}, // 24
    {u"hűtőszekrény", u"hűtőszekrényhez"}, // 25
    {u"épület", u"épülethez"}, // 26
    {u"sofőr", u"sofőrhöz"}, // 27
    {u"szálloda", u"szállodához"}, // 28
    {u"sofőrök", u"sofőrökhöz"}, // 29
    {u"újságíró", u"újságíróhoz"}, // 30
    {u"miniszter", u"miniszterhez"}, // 31
    {u"egyetem", u"egyetemhez"}, // 32
    {u"folyó", u"folyóhoz"}, // 33
    {u"pályaudvar", u"pályaudvarhoz"}, // 34
    {u"kép", u"képhez"}, // 35
    {u"metró", u"metróhoz"}, // 36
    {u"pincér", u"pincérhez"}, // 37
    {u"taxiállomás", u"taxiállomáshoz"}, // 38
    {u"taxi", u"taxihoz"}, // 39
    {u"telefon", u"telefonhoz"}, // 40
    {u"tükör", u"tükörhöz"}, // 41
    {u"tükrök", u"tükrökhöz"}, // 42
    {u"titkárnő", u"titkárnőhöz"}, // 43
    {u"íróasztal", u"íróasztalhoz"}, // 44
    {u"doktor", u"doktorhoz"}, // 45
    {u"sofőrök", u"sofőrökhöz"}, // 46
    {u"portás", u"portáshoz"}, // 47
    {u"fogorvos", u"fogorvoshoz"}, // 48
    {u"pénztár", u"pénztárhoz"}, // 49
    {u"emberek", u"emberekhez"}, // 50
}};

const std::array<WordItem, 51> tollista{{
    {u"szálloda", u"szállodától"}, // 0
    {u"Gellérthegy", u"Gellérthegytől"}, // 1
    {u"híd", u"hídtól"}, // 2
    {u"ablak", u"ablaktól"}, // 3
    {u"portás", u"portástól"}, // 4
    {u"tanár", u"tanártól"}, // 5
    {u"metró", u"metrótól"}, // 6
    {u"repülőtér", u"repülőtértől"}, // 7
    {u"Margitsziget", u"Margitszigettől"}, // 8
    {u"újságíró", u"újságírótól"}, // 9
    {u"tükör", u"tükörtől"}, // 10
    {u"megállók", u"megállóktól"}, // 11
    {u"épületek", u"épületektől"}, // 12
    {u"diákok", u"diákoktól"}, // 13
    {u"szerkesztők", u"szerkesztőktől"}, // 14
    {u"képek", u"képektől"}, // 15
    {u"ablak", u"ablaktól"}, // 16
    {u"autó", u"autótól"}, // 17
    {u"házak", u"házaktól"}, // 18
    {u"ágy", u"ágytól"}, // 19
    {u"autóbusz", u"autóbusztól"}, // 20
    {u"parkoló", u"parkolótól"}, // 21
    {u"hidak", u"hidaktól"}, // 22
    {u"ajtó", u"ajtótól"}, // 23
    {u"asztal", u"asztaltól"}, // 24
    {u"hűtőszekrény", u"hűtőszekrénytől"}, // 25
    {u"épület", u"épülettől"}, // 26
    {u"sofőr", u"sofőrtől"}, // 27
    {u"szálloda", u"szállodától"}, // 28
    {u"sofőrök", u"sofőröktől"}, // 29
    {u"tér", u"tértől"}, // 30
    {u"miniszter", u"minisztertől"}, // 31
    {u"egyetem", u"egyetemtől"}, // 32
    {u"folyó", u"folyótól"}, // 33
    {u"pályaudvar", u"pályaudvartól"}, // 34
    {u"kép", u"képtől"}, // 35
    {u"szerkesztő", u"szerkesztőtől"}, // 36
    {u"pincér", u"pincértől"}, // 37
    {u"taxiállomás", u"taxiállomástól"}, // 38
    {u"taxi", u"taxitól"}, // 39
    {u"telefon", u"telefontól"}, // 40
    {u"tanterem", u"tanteremtől"}, // 41
    {u"tükrök", u"tükröktől"}, // 42
    {u"titkárnő", u"titkárnőtől"}, // 43
    {u"íróasztal", u"íróasztaltól"}, // 44
    {u"doktor", u"doktortól"}, // 45
    {u"sofőrök", u"sofőröktől"}, // 46
    {u"szekrény", u"szekrénytől"}, // 47
    {u"fogorvos", u"fogorvostól"}, // 48
    {u"pénztár", u"pénztártól"}, // 49
    {u"emberek", u"emberektől"}, // 50
}};

const std::array<WordItem, 26> naklista{{
    {u"orvos", u"orvosnak"}, // 0
    {u"Péter", u"Péternek"}, // 1
    {u"Éva", u"Évának"}, // 2
    {u"mérnök", u"mérnöknek"}, // 3
    {u"diákok", u"diákoknak"}, // 4
    {u"férfiak", u"férfiaknak"}, // 5
    {u"tanárnő", u"tanárnőnek"}, // 6
    {u"rendőrség", u"rendőrségnek"}, // 7
    {u"mentők", u"mentőknek"}, // 8
    {u"szerkesztő", u"szerkesztőnek"}, // 9
    {u"portás", u"portásnak"}, // 10
    {u"tanár", u"tanárnak"}, // 11
    {u"fiúk", u"fiúknak"}, // 12
    {u"lányok", u"lányoknak"}, // 13
    {u"emberek", u"embereknek"}, // 14
    {u"fogorvos", u"fogorvosnak"}, // 15
    {u"miniszter", u"miniszternek"}, // 16
    {u"postás", u"postásnak"}, // 17
    {u"mérnökök", u"mérnököknek"}, // 18
    {u"postások", u"postásoknak"}, // 19
    {u"igazgató", u"igazgatónak"}, // 20
    {u"titkárnő", u"titkárnőnek"}, // 21
    {u"újságíró", u"újságírónak"}, // 22
    {u"János", u"Jánosnak"}, // 23
    {u"magyarok", u"magyaroknak"}, // 24
    {u"külföldiek", u"külföldieknek"}, // 25
}};

namespace {

// The basic runs are not one common size: 16, 16, 14 and 11 items.
const std::array<SuffixDrill, 4> drills{{
    {Exercise::Ex1a, QStringLiteral("1a."), QStringLiteral("-nál/-nél"), QStringLiteral(": 1/a.."), 16, nallista},
    {Exercise::Ex1b, QStringLiteral("1b."), QStringLiteral("-hoz/-hez/-höz"), QStringLiteral(": 1/b."), 16,
     hozlista},
    {Exercise::Ex1c, QStringLiteral("1c."), QStringLiteral("-tól/-től"), QStringLiteral(": 1/c."), 14, tollista},
    {Exercise::Ex2, QStringLiteral("2."), QStringLiteral("-nak/-nek"), QStringLiteral(": 2."), 11, naklista},
}};

} // namespace

const SuffixDrill *suffixDrill(int exerciseNo)
{
    const std::optional<Exercise> exercise = exerciseOf(exerciseNo);
    if (!exercise || indexOf(*exercise) >= int(drills.size()))
        return nullptr;
    return &drills[std::size_t(indexOf(*exercise))];
}

const SuffixDrill &suffixDrill(Exercise exercise)
{
    return drills[std::size_t(indexOf(exercise))];
}
