// Which wizard buttons a page offers, and how the sheet names its default button. The values
// are the platform's (PSWIZB_*, DC_HASDEFID); they are spelled here so that the rules can be
// checked without the platform's headers.
#pragma once

#include <cstdint>

namespace WizardButton {
inline constexpr std::uint32_t Back = 1;
inline constexpr std::uint32_t Next = 2;
inline constexpr std::uint32_t Finish = 4;
inline constexpr std::uint32_t DisabledFinish = 8;
} // namespace WizardButton

// The Welcome page leads only on.
inline constexpr std::uint32_t WelcomeButtons = WizardButton::Next;

// The Agreement page lets the user go back, and finish only once the agreement is accepted.
std::uint32_t AgreementButtons(bool accepted);

// The high word of a DM_GETDEFID answer that names a default button.
inline constexpr std::uint32_t HasDefaultIdMarker = 0x534B;

// Reads a DM_GETDEFID answer: true, with the button's control id, only when it names one.
bool DefaultButtonId(std::uint32_t answer, int* controlId);
