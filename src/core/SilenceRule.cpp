#include "SilenceRule.h"

namespace {

bool Covers(const TScreenRect& outer, const TScreenRect& inner) {
    return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
           outer.Bottom >= inner.Bottom && inner.Right > inner.Left && inner.Bottom > inner.Top;
}

bool FullScreen(const TForeground& foreground) {
    const int state = foreground.NotificationState;
    if (state == kNotificationBusy || state == kNotificationDirect3DFullScreen ||
        state == kNotificationPresentation)
        return true;
    return !foreground.Shell && (foreground.Style & kStyleCaption) != kStyleCaption &&
           Covers(foreground.Window, foreground.Monitor);
}

} // namespace

bool SilenceRulesOn(const TSoundOptions& options) {
    return options.SilenceFullScreen || (options.SilenceListed && !options.SilencePrograms.empty());
}

std::optional<std::string> SilenceReason(const TForeground& foreground,
                                         const TSoundOptions& options) {
    if (!foreground.Present)
        return std::nullopt;
    if (options.SilenceFullScreen && FullScreen(foreground))
        return kFullScreenReason;
    if (options.SilenceListed && !foreground.ImagePath.empty())
        for (const std::string& program : options.SilencePrograms)
            if (SameProgramName(program, foreground.ImagePath))
                return std::string(ImageFileName(foreground.ImagePath));
    return std::nullopt;
}
