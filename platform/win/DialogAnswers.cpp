#include "platform/win/DialogAnswers.h"

#include <algorithm>
#include <deque>

namespace {

std::deque<DialogAnswer>& Queue()
{
    static std::deque<DialogAnswer> q;
    return q;
}

std::vector<DialogShown>& Shown()
{
    static std::vector<DialogShown> s;
    return s;
}

} // namespace

void QueueDialogAnswer(const DialogAnswer& answer)
{
    Queue().push_back(answer);
}

std::optional<DialogAnswer> TakeDialogAnswer(DialogKind kind)
{
    auto& q = Queue();
    auto it = std::find_if(q.begin(), q.end(), [kind](const DialogAnswer& a) { return a.Kind == kind; });
    if (it == q.end())
        return std::nullopt;
    DialogAnswer a = *it;
    q.erase(it);
    return a;
}

std::size_t PendingDialogAnswers()
{
    return Queue().size();
}

void RecordDialogShown(const DialogShown& shown)
{
    Shown().push_back(shown);
}

const std::vector<DialogShown>& DialogsShown()
{
    return Shown();
}

void ResetDialogAnswers()
{
    Queue().clear();
    Shown().clear();
}
