#pragma once

#include <deque>
#include <optional>
#include <utility>

namespace qm::ui {

// Answers a test gives in advance to the dialogs the code under test is about
// to show (message boxes, file and print dialogs): the next dialog takes the
// first answer instead of waiting for a person. First in, first out.
template <typename Answer> class AnswerQueue {
public:
    void push(Answer answer) { m_answers.push_back(std::move(answer)); }
    // The next answer, or nothing when the dialog should really be shown.
    std::optional<Answer> take()
    {
        if (m_answers.empty())
            return std::nullopt;
        std::optional<Answer> next(std::move(m_answers.front()));
        m_answers.pop_front();
        return next;
    }
    void clear() { m_answers.clear(); }
    bool empty() const { return m_answers.empty(); }

private:
    std::deque<Answer> m_answers;
};

} // namespace qm::ui
