// The one rule every exercise and the review judge answers by, per shape.
#include "exercises/run/AnswerJudge.h"

#include <QTest>

using Shape = LessonModel::Shape;
using Verdict = AnswerJudge::Verdict;
using namespace Qt::StringLiterals;

class tst_AnswerJudge : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void judgesByTheShapesRule_data()
    {
        QTest::addColumn<Shape>("shape");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("alsoRight");
        QTest::addColumn<Verdict>("verdict");
        const QList<std::pair<Shape, const char *>> shapes{{Shape::SuffixDrill, "drill"},
                                                           {Shape::Sentences, "sentence"},
                                                           {Shape::PersonStory, "person story"},
                                                           {Shape::PictureStory, "picture story"}};
        for (const auto &[shape, name] : shapes) {
            const bool collapses = shape == Shape::Sentences || shape == Shape::PictureStory;
            const auto row = [name = name](const char *what) -> QTestData & { return QTest::addRow("%s: %s", name, what); };
            row("exact") << shape << u"orvosnak"_s << u"orvosnak"_s << QStringList() << Verdict::Right;
            row("blanks around") << shape << u"  orvosnak "_s << u"orvosnak"_s << QStringList() << Verdict::Right;
            row("capital") << shape << u"Orvosnak"_s << u"orvosnak"_s << QStringList() << Verdict::Wrong;
            row("full stop") << shape << u"orvosnak."_s << u"orvosnak"_s << QStringList() << Verdict::Wrong;
            row("a for á") << shape << u"orvosnak"_s << u"orvosnák"_s << QStringList() << Verdict::Wrong;
            row("õ typed for ő") << shape << u"lépcsõnél"_s << u"lépcsőnél"_s << QStringList() << Verdict::Right;
            row("decomposed letters") << shape << u"lépcso\u030bnél"_s << u"lépcsőnél"_s << QStringList() << Verdict::Right;
            row("a blank inside, doubled") << shape << u"az  operához"_s << u"az operához"_s << QStringList()
                                            << (collapses ? Verdict::Right : Verdict::Wrong);
            row("nothing typed") << shape << QString() << u"orvosnak"_s << QStringList() << Verdict::Empty;
            row("only blanks") << shape << u"   "_s << u"orvosnak"_s << QStringList() << Verdict::Empty;
            row("another answer the lesson takes") << shape << u"kilépnek"_s << u"kilép"_s << QStringList{u"kilépnek"_s}
                                                   << Verdict::Right;
            // The other answers are taken as typed, ends and all.
            row("another answer, a blank after") << shape << u"kilépnek "_s << u"kilép"_s
                                                 << QStringList{u"kilépnek"_s} << Verdict::Wrong;
        }
    }

    void judgesByTheShapesRule()
    {
        QFETCH(Shape, shape);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QFETCH(QStringList, alsoRight);
        QFETCH(Verdict, verdict);
        QCOMPARE(AnswerJudge::forShape(shape).judge(typed, expected, alsoRight), verdict);
    }

    // What is recorded as given: the answer as judged.
    void readsTheAnswerAsJudged()
    {
        QCOMPARE(AnswerJudge::forShape(Shape::Sentences).read(u"  az   opera\u0301hoz "_s), u"az operához"_s);
        QCOMPARE(AnswerJudge::forShape(Shape::SuffixDrill).read(u" tanár  nál "_s), u"tanár  nál"_s);
    }
};

QTEST_APPLESS_MAIN(tst_AnswerJudge)
#include "tst_answer_judge.moc"
