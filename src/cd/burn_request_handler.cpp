#include "burn_request_handler.h"

#include "base/prompter.h"
#include <cstring>

namespace quillon {

int32_t BurnRequestHandler::answer(int32_t request, void* data)
{
    switch (request) {
    case VARDA_REQUEST_START_WRITING:
    case VARDA_REQUEST_SIMULATION_DONE:
    case VARDA_REQUEST_SPEED_TEST_DONE:
        return VARDA_ANSWER_PROCEED;
    case VARDA_REQUEST_SPEED_UNSUPPORTED:
        return VARDA_ANSWER_NEAREST_SPEED;
    case VARDA_REQUEST_MEDIUM_TOO_SMALL:
        return VARDA_ANSWER_OK;
    case VARDA_REQUEST_CANCELLED:
        m_cancel.store(true);
        if (m_cancelled)
            m_cancelled();
        return VARDA_ANSWER_NO;
    case VARDA_REQUEST_INSERT_MEDIUM:
        m_prompter.showMessage(kInsertMediumText);
        return VARDA_ANSWER_NO;
    case VARDA_REQUEST_IMAGE_PATH: {
        const std::optional<std::string> path = m_chooseImage ? m_chooseImage() : std::nullopt;
        if (!path || path->empty() || !data)
            return VARDA_ANSWER_IMAGE_CANCELLED;
        if (path->size() >= VARDA_PATH_SIZE) {
            m_prompter.showMessage(PromptText("The path of the image file is too long: %1").arg(*path), PromptIcon::Error);
            return VARDA_ANSWER_IMAGE_CANCELLED;
        }
        std::memcpy(data, path->c_str(), path->size() + 1);
        m_lastImage = *path;
        return VARDA_ANSWER_OK;
    }
    case VARDA_REQUEST_ERASE_BEFORE_WRITE:
        if (!m_prompter.askYesNo(kEraseQuestion))
            return VARDA_ANSWER_NO;
        // A failed erase must not let the burn go on to a disc that is not blank.
        return m_erase && m_erase() ? VARDA_ANSWER_PROCEED : VARDA_ANSWER_NO;
    default:
        return VARDA_ANSWER_NO;
    }
}

VardaBurnSettings BurnRequestHandler::settings()
{
    VardaBurnSettings s{};
    s.vendor = "Ostrel";
    s.software = "Varda Disc Studio";
    s.languageFile = "Varda.txt";
    s.idle = &BurnRequestHandler::idle;
    s.idleUser = this;
    s.userDialog = &BurnRequestHandler::userDialog;
    s.userDialogUser = this;
    return s;
}

int32_t BurnRequestHandler::userDialog(void* user, int32_t request, void* data)
{
    return static_cast<BurnRequestHandler*>(user)->answer(request, data);
}

int32_t BurnRequestHandler::idle(void* user)
{
    auto* self = static_cast<BurnRequestHandler*>(user);
    if (!self->m_cancel.load() && self->m_idle)
        self->m_idle();
    return self->m_cancel.load() ? 1 : 0;
}

} // namespace quillon
