#pragma once
// The tests' application stands where the program's application does: its event
// dispatch is the last guard. An error a handler let through to it fails the running
// test; this counts them, so a test can show that its errors ended at their handlers.

int ErrorsAtLastGuard();
