// quorvant-cli fit: fits the memory model's weights to the learner's own answer history
// (all files), keeps them when they predict held-out answers better than the defaults,
// and computes every stored task state again with the weights in use.

#include "cli/Commands.h"
#include "learning/Fit.h"
#include "learning/Learner.h"

#include <cstdio>
#include <ostream>
#include <string>

namespace {

constexpr const char* kFitUsage = "fit [--reset]";

// A log loss with four decimals and a decimal comma.
std::string LossText(double loss)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", loss);
    std::string s = text;
    for (char& c : s)
        c = c == '.' ? ',' : c;
    return s;
}

// 1234 as "1.234".
std::string CountText(int n)
{
    std::string digits = std::to_string(n), s;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            s += '.';
        s += digits[i];
    }
    return s;
}

} // namespace

int RunFitCommand(cCliContext& ctx)
{
    bool reset = false;
    for (const std::string& arg : ctx.args) {
        if (arg != "--reset") {
            ctx.err << "Unbekannte Option: " << arg << '\n';
            return UsageError(ctx, kFitUsage);
        }
        reset = true;
    }
    cHistory& history = SharedHistory(); // a failure to open it is said there
    if (!history.IsOpen())
        return kExitFailed;
    if (reset) {
        if (!history.SetWeights(kFsrsDefaultWeights))
            return kExitFailed;
        ctx.out << "Das Gedächtnismodell rechnet wieder mit den Standardgewichten.\n";
        return kExitOk;
    }
    const cFitResult fit = FitWeights(history.AllTaskAnswers());
    ctx.out << "Wiederholungen im Lernverlauf: " << CountText(fit.reviews) << ", davon "
            << CountText(fit.heldOut) << " zurückgehalten.\n";
    if (!fit.Enough()) {
        ctx.out << "Zu wenige Wiederholungen für eine Anpassung (mindestens "
                << CountText(cFitResult::kMinReviews) << ").\n";
        return kExitOk;
    }
    ctx.out << "Log-Loss auf den zurückgehaltenen Antworten: Standardgewichte "
            << LossText(fit.lossDefault) << ", angepasst " << LossText(fit.lossFitted) << ".\n";
    if (!history.SetWeights(fit.Better() ? fit.weights : kFsrsDefaultWeights))
        return kExitFailed;
    ctx.out << (fit.Better() ? "Die angepassten Gewichte gelten ab jetzt.\n"
                             : "Die Standardgewichte sagen besser voraus; sie gelten weiter.\n");
    return kExitOk;
}
