#pragma once

// The issue slip ("Karta informacyjna wydania narzędzia") offered for print
// after an issue or a return; the question can be turned off for the
// workstation.
namespace MovementSlip {

void offer(int issueId);
bool asks();
void setAsks(bool ask);

} // namespace MovementSlip
