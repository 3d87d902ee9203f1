#include "cli/BusSession.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "cli/SettingsQuery.h"
#include "cli/SettingsText.h"

namespace cli {

int RunGet(const CliContext& context, const CliOptions& options)
{
    CBusSession session(context);
    if (const int opened = session.Open(options))
        return opened;
    const SettingsAnswers answers = QuerySettings(session, options.timeoutMs);
    if (answers.replies.empty())
        return ReportNoReply(session, answers, options.timeoutMs);
    if (options.json)
        WriteRepliesJson(context.out, session.PortName(), session.DevicePath(), answers.replies);
    else
        WriteReplies(context.out, answers.replies);
    return ExitOk;
}

} // namespace cli
