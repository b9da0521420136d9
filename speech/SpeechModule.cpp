#include "SpeechModule.h"

#include "common/ProgramModule.h"

namespace {

// Tells at start why there is no speech, and is silent.
class MissingSpeaker final : public Speaker
{
public:
    explicit MissingSpeaker(QString why) : why(std::move(why)) {}
    void start() override
    {
        if (ready)
            ready(why);
    }
    void say(const QString &, bool) override {}
    void stop() override {}

private:
    QString why;
};

} // namespace

std::unique_ptr<Speaker> SpeechModule::makeDesktopSpeaker()
{
    static const ProgramModule module("bimbala-speech", "speech", Interface, {MakeName});
    if (const auto make = module.function<Make>(0))
        return std::unique_ptr<Speaker>(make());
    return std::make_unique<MissingSpeaker>(QStringLiteral("Bimbala! cannot speak: %1.").arg(module.missing()));
}
