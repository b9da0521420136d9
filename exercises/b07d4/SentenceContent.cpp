#include "SentenceContent.h"

// Head, cue shown, prefill, key, tail, person. The prefills of rows 6 and 13 keep
// two blanks between their phrases: the answer box collapses blanks before
// judging, so the learner need not remove them.
const std::array<SentenceRow, SentenceCount> sentenceRows{{
    // Exercise 4: a phrase takes its case or adverbial suffix.
    {u"", u"Pest...", u"Pest", u"Pestről", u"jövök.", Person::None}, // 0
    {u"", u"Buda...", u"Buda", u"Budára", u"megyek.", Person::None}, // 1
    {u"", u"A híd...", u"A híd", u"A hídnál", u"régi házak állnak.", Person::None}, // 2
    {u"", u"Az egyetem...", u"Az egyetem", u"Az egyetemen", u"külföldi diákok is tanulnak.", Person::None}, // 3
    {u"Az autóbusz", u"az opera...", u"az opera", u"az operához", u"érkezik.", Person::None}, // 4
    {u"Bemegyek", u"az iroda...", u"az iroda", u"az irodába", u".", Person::None}, // 5
    {u"", u"London... Budapest...", u"London  Budapest", u"Londonból Budapestre", u"utazunk.", Person::None}, // 6
    {u"A trolibusz", u"a Keleti pályaudvar...", u"a Keleti pályaudvar", u"a Keleti pályaudvartól", u"indul az V. kerületbe.", Person::None}, // 7
    {u"A trolibusz", u"a Kossuth tér...", u"a Kossuth tér", u"a Kossuth térre", u"megy.", Person::None}, // 8
    {u"", u"A XI. kerület...", u"A XI. kerület", u"A XI. kerületben", u"laktok?", Person::None}, // 9
    {u"Éva", u"a tükör...", u"a tükör", u"a tükörnél", u"áll.", Person::None}, // 10
    {u"", u"Az utca...", u"Az utca", u"Az utcán", u"sok ember jár.", Person::None}, // 11
    {u"A könyvek", u"a polc...", u"a polc", u"a polcon", u"vannak.", Person::None}, // 12
    {u"Bemegyek", u"a kiadó... a szerkesztő...", u"a kiadó  a szerkesztő", u"a kiadóba a szerkesztőhöz", u".", Person::None}, // 13
    {u"Az emberek leszállnak", u"a villamos...", u"a villamos", u"a villamosról", u".", Person::None}, // 14
    {u"A taxi", u"az étterem...", u"az étterem", u"az étteremtől", u"indul a Belvárosba.", Person::None}, // 15
    {u"A lányok leülnek", u"az asztal...", u"az asztal", u"az asztalhoz", u".", Person::None}, // 16
    {u"Átmegyünk", u"az utca...", u"az utca", u"az utcán", u".", Person::None}, // 17
    {u"Felszállok", u"a hetes autóbusz...", u"a hetes autóbusz", u"a hetes autóbuszra", u".", Person::None}, // 18
    {u"Kati leül", u"a konyha... a szék...", u"a konyha a szék", u"a konyhában a székre", u".", Person::None}, // 19
    {u"János kilép", u"a ház...", u"a ház", u"a házból", u".", Person::None}, // 20
    {u"Kilépünk", u"az utca...", u"az utca", u"az utcára", u".", Person::None}, // 21
    {u"Felmegyünk", u"a Gellérthegy...", u"a Gellérthegy", u"a Gellérthegyre", u". Jó?", Person::None}, // 22
    {u"Lemegyek", u"a földszint... a portás...", u"a földszint a portás", u"a földszintre a portáshoz", u".", Person::None}, // 23
    {u"Péter", u"a könyvtár...", u"a könyvtár", u"a könyvtárban", u"olvas.", Person::None}, // 24
    {u"Belépek", u"az étterem...", u"az étterem", u"az étterembe", u".", Person::None}, // 25
    {u"A lányok beszaladnak", u"a ház...", u"a ház", u"a házba", u".", Person::None}, // 26
    {u"Nem jöttök ki", u"az erkély...", u"az erkély", u"az erkélyre", u"?", Person::None}, // 27
    {u"Kimegyünk", u"a gyerekek... a kert...", u"a gyerekek a kert", u"a gyerekekhez a kertbe", u".", Person::None}, // 28
    {u"Leülünk", u"a nappali... a kanapé...", u"a nappali a kanapé", u"a nappaliban a kanapéra", u".", Person::None}, // 29
    {u"", u"Budapest... Debrecen...", u"Budapest Debrecen", u"Budapestről Debrecenbe", u"utazom.", Person::None}, // 30
    {u"", u"A menza...", u"A menza", u"A menzán", u"ebédelek.", Person::None}, // 31
    {u"", u"Egy jó étterem...", u"Egy jó étterem", u"Egy jó étteremben", u"vacsorázunk.", Person::None}, // 32
    {u"Leülök", u"a tévé...", u"a tévé", u"a tévéhez", u".", Person::None}, // 33
    {u"A külföldi vendégek", u"a Gellért szálloda...", u"a Gellért szálloda", u"a Gellért szállodában", u"laknak.", Person::None}, // 34
    {u"A postás felmegy", u"az ötödik emelet...", u"az ötödik emelet", u"az ötödik emeletre", u".", Person::None}, // 35
    {u"Felmegyek", u"a lift... az igazgató...", u"a lift az igazgató", u"a liften az igazgatóhoz", u".", Person::None}, // 36
    {u"A gyerekek átszaladnak", u"a tér...", u"a tér", u"a téren", u".", Person::None}, // 37
    {u"Két autóbusz áll", u"a szálloda...", u"a szálloda", u"a szállodánál", u".", Person::None}, // 38
    {u"Felmegyek", u"a miniszter...", u"a miniszter", u"a miniszterhez", u".", Person::None}, // 39
    {u"Ön is", u"Franciaország...", u"Franciaország", u"Franciaországba", u"utazik?", Person::None}, // 40
    {u"Én is", u"egy iroda...", u"egy iroda", u"egy irodában", u"dolgozom.", Person::None}, // 41
    {u"Ez a vonat", u"Berlin...", u"Berlin", u"Berlinből", u"jön.", Person::None}, // 42
    {u"A vonat", u"a pályaudvar...", u"a pályaudvar", u"a pályaudvarra", u"érkezik.", Person::None}, // 43
    {u"", u"Melyik pályaudvar...", u"Melyik pályaudvar", u"Melyik pályaudvarról", u"indul a vonat?", Person::None}, // 44
    {u"", u"Melyik szálloda...", u"Melyik szálloda", u"Melyik szállodában", u"laktok?", Person::None}, // 45
    {u"Hányas autóbusz megy", u"Buda...", u"Buda", u"Budára", u"?", Person::None}, // 46
    {u"Hányas villamos megy", u"a Gellért szálloda...", u"a Gellért szálloda", u"a Gellért szállodához", u"?", Person::None}, // 47
    {u"Lesétálunk", u"a hegy...", u"a hegy", u"a hegyről", u".", Person::None}, // 48
    {u"Ki áll ott", u"az ablak...", u"az ablak", u"az ablaknál", u"?", Person::None}, // 49
    {u"Bemegyek", u"az iroda... a titkárnő...", u"az iroda a titkárnő", u"az irodába a titkárnőhöz", u".", Person::None}, // 50
    // Exercise 5: a verb takes the form that agrees with its subject.
    {u"A lányok az erkélyen", u"beszélget...", u"beszélget", u"beszélgetnek", u".", Person::None}, // 51
    {u"Mit", u"csinál...", u"csinál", u"csinálsz", u"délután?", Person::Te}, // 52
    {u"Én nem", u"kér...", u"kér", u"kérek", u"kávét.", Person::None}, // 53
    {u"Hol", u"bérel...", u"bérel", u"béreltek", u"lakást?", Person::Ti}, // 54
    {u"Önök is itt", u"(dolgozik)", u"dolgozik", u"dolgoznak", u"?", Person::None}, // 55
    {u"Ti nem", u"(jön)", u"jön", u"jöttök", u"a könyvtárba?", Person::None}, // 56
    {u"", u"Segít...", u"Segít", u"Segítesz", u"a lányoknak?", Person::Te}, // 57
    {u"Te hol", u"(vacsorázik)", u"vacsorázik", u"vacsorázol", u"?", Person::None}, // 58
    {u"Levelet", u"ír...", u"ír", u"írok", u"Évának.", Person::En}, // 59
    {u"Teát", u"készít...", u"készít", u"készítenek", u"?", Person::Onok}, // 60
    {u"Itt magyar tanárok", u"tanít...", u"tanít", u"tanítanak", u".", Person::None}, // 61
    {u"Kinek", u"telefonál...", u"telefonál", u"telefonáltok", u"?", Person::Ti}, // 62
    {u"A mozi előtt", u"(találkozik)", u"találkozik", u"találkozunk", u".", Person::Mi}, // 63
    {u"A vendégek a kertben", u"beszélget...", u"beszélget", u"beszélgetnek", u".", Person::None}, // 64
    {u"Hova", u"(nyílik)", u"nyílik", u"nyílik", u"ez az ajtó?", Person::None}, // 65
    {u"Kezet", u"mos...", u"mos", u"mosok", u"a fürdőszobában.", Person::En}, // 66
    {u"Együtt", u"mosogat...", u"mosogat", u"mosogatunk", u"a konyhában.", Person::Mi}, // 67
    {u"A lányok zenét", u"hallgat...", u"hallgat", u"hallgatnak", u".", Person::None}, // 68
    {u"Levelet", u"ír...", u"ír", u"írok", u"az íróasztalnál.", Person::En}, // 69
    {u"Nem", u"mos...", u"mos", u"mosol", u"kezet?", Person::Te}, // 70
    {u"Ti is", u"jön...", u"jön", u"jöttök", u"a múzeumba?", Person::None}, // 71
    {u"A klubban", u"táncol...", u"táncol", u"táncolunk", u".", Person::Mi}, // 72
    {u"Kik", u"(dolgozik)", u"dolgozik", u"dolgoznak", u"a laboratóriumban?", Person::None}, // 73
    {u"Neked is", u"(tetszik)", u"tetszik", u"tetszik", u"ez a zene, ugye?", Person::None}, // 74
    {u"A gyerekek rendet", u"csinál...", u"csinál", u"csinálnak", u"a szobában.", Person::None}, // 75
    {u"Honnan", u"jön...", u"jön", u"jönnek", u"?", Person::Onok}, // 76
    {u"Hova", u"megy...", u"megy", u"mentek", u"?", Person::Ti}, // 77
    {u"Köszönöm, nem", u"(dohányzik)", u"dohányzik", u"dohányzom", u".", Person::En}, // 78
    {u"Mit", u"parancsol...", u"parancsol", u"parancsolnak", u"?", Person::Onok}, // 79
    {u"Otthon", u"(reggelizik)", u"reggelizik", u"reggeliztek", u"?", Person::Ti}, // 80
    {u"Itt nem", u"jár...", u"jár", u"járnak", u"autók.", Person::None}, // 81
    {u"", u"Felmegy...", u"Felmegy", u"Felmegyünk", u"a hegyre. Jó?", Person::Mi}, // 82
    {u"Milyen lakást", u"keres...", u"keres", u"keresnek", u"?", Person::Onok}, // 83
    {u"Mennyibe", u"kerül...", u"kerül", u"kerülnek", u"ezek az ingek?", Person::None}, // 84
    {u"", u"Készít...", u"Készít", u"Készítek", u"egy teát. Jó?", Person::En}, // 85
    {u"Nem", u"főz...", u"főz", u"főzöl", u"egy kávét?", Person::Te}, // 86
    {u"Mennyit", u"fizet...", u"fizet", u"fizetek", u"?", Person::En}, // 87
    {u"", u"Pihen...", u"Pihen", u"Pihenünk", u"egy kicsit.", Person::Mi}, // 88
    {u"Oroszországba", u"utazik...", u"utazik", u"utaztok", u"?", Person::Ti}, // 89
    {u"Hol", u"(vacsorázik)", u"vacsorázik", u"vacsorázol", u"?", Person::Te}, // 90
    {u"Mit", u"néz...", u"néz", u"nézel", u"?", Person::Te}, // 91
    {u"Nem", u"segít...", u"segít", u"segítesz", u"egy kicsit?", Person::Te}, // 92
    {u"A rendőrök", u"segít...", u"segít", u"segítenek", u"a mentőknek.", Person::None}, // 93
    {u"Nektek is", u"(tetszik)", u"tetszik", u"tetszenek", u"ezek a képek?", Person::None}, // 94
    {u"", u"Bemegy...", u"Bemegy", u"Bemész", u"a Belvárosba?", Person::Te}, // 95
    {u"Ők nem az egyetemen", u"tanít...", u"tanít", u"tanítanak", u".", Person::None}, // 96
    {u"Mit", u"csinál...", u"csinál", u"csinálsz", u"?", Person::Te}, // 97
    {u"", u"(Működik)", u"Működik", u"Működnek", u"a liftek?", Person::None}, // 98
    {u"Az Operába", u"megy...", u"megy", u"mennek", u"?", Person::Onok}, // 99
    {u"Te hol", u"tanít...", u"tanít", u"tanítasz", u"?", Person::None}, // 100
    {u"Győrbe", u"(utazik)", u"utazik", u"utazol", u"?", Person::Te}, // 101
    {u"Kinek", u"ír...", u"ír", u"írsz", u"?", Person::Te}, // 102
    {u"Te nem", u"jön...", u"jön", u"jössz", u"a színházba?", Person::Te}, // 103
    {u"Hol", u"(találkozik)", u"találkozik", u"találkoznak", u"?", Person::Onok}, // 104
    {u"Nem", u"kér...", u"kér", u"kér", u"kávét?", Person::On}, // 105
    {u"A szállodában", u"(vacsorázik)", u"vacsorázik", u"vacsorázik", u"?", Person::On}, // 106
    {u"Hova", u"(utazik)", u"utazik", u"utazik", u"?", Person::On}, // 107
    {u"", u"Lemegy...", u"Lemegy", u"Lemegy", u"a büfébe?", Person::On}, // 108
    {u"A stúdióban", u"(dolgozik)", u"dolgozik", u"dolgozik", u"?", Person::On}, // 109
    {u"Az egyetemre", u"siet...", u"siet", u"siet", u"?", Person::On}, // 110
}};
