#include "ExitCoordinator.h"

#include <utility>

CExitCoordinator::EEnd CExitCoordinator::EndCommand() {
    if (--m_nCommandDepth > 0) {
        return EEnd::none;
    }
    return std::exchange(m_pendingEnd, EEnd::none);
}

CExitCoordinator::EDecision CExitCoordinator::RequestEnd(bool bQuitSignal) {
    if (m_nCommandDepth > 0) {
        // Exit, which may ask the user, goes before a quit signal.
        if (m_pendingEnd != EEnd::exit) {
            m_pendingEnd = bQuitSignal ? EEnd::quitSignal : EEnd::exit;
        }
        return EDecision::wait;
    }
    if (m_bEnding) {
        return EDecision::busy;
    }
    m_bEnding = true;
    return EDecision::proceed;
}
