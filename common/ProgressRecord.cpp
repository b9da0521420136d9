#include "ProgressRecord.h"

namespace {

class NoRecord final : public ProgressRecord
{
public:
    void answerJudged(const Answer &) override {}
    qint64 runStarted(const QString &, Variant, const QString &) override { return 0; }
    void runEnded(qint64, Outcome) override {}
};

} // namespace

ProgressRecord &ProgressRecord::none()
{
    static NoRecord record;
    return record;
}
