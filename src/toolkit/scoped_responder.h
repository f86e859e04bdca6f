#pragma once

#include <functional>
#include <optional>

namespace varkel {

// While one of these lives, the desktop service it stands for is not used: each request is handed
// to the responder, which answers it. Tests use it to script and record what the program asks of
// the desktop. Responders nest; the innermost answers.
template <typename Request, typename Answer>
class ScopedResponder {
  public:
    using Responder = std::function<Answer(const Request&)>;
    explicit ScopedResponder(Responder responder)
        : responder_(std::move(responder)), outer_(innermost_) {
        innermost_ = this;
    }
    ~ScopedResponder() { innermost_ = outer_; }
    ScopedResponder(const ScopedResponder&) = delete;
    ScopedResponder& operator=(const ScopedResponder&) = delete;

    // The innermost responder's answer, or nothing when the real service is to be used.
    static std::optional<Answer> answer(const Request& request) {
        if (!innermost_) return std::nullopt;
        return innermost_->responder_(request);
    }

  private:
    Responder responder_;
    ScopedResponder* outer_;
    static inline ScopedResponder* innermost_ = nullptr;
};

}  // namespace varkel
