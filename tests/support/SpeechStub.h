#pragma once
// Puts our stand-in speech server (tests/support/speechstub) in place of the platform's SAPI 5
// voice and Voice Text objects in the test prefix, configures it, and reads what it was asked.
// The stub writes one line per call to its log, for example:
//   SAPI.Create
//   SAPI.GetVoices required="Language=409" optional=""
//   SAPI.Item 1
//   SAPI.Invoke Voice putref
//   SAPI.Voice token=1
//   SAPI.Rate 0
//   SAPI.Speak flags=3 text=" F 13"          (texts in UTF-8)
//   VT.Create / VT.Register site="" app="..." / VT.StopSpeaking / VT.Speak flags=128 text="A"
#include <string>
#include <vector>

namespace speechstub {

enum Engines : unsigned { Sapi = 1, VoiceText = 2, Both = 3 };

// The stub DLL of this build, as a Windows path.
std::string DllPath();

// Registers the stub under the chosen classes in HKLM (the 64-bit view), saving a registration
// that was there before so Unregister can put it back. True when every key was written.
bool Register(unsigned engines, const std::string& dllPath = DllPath());
// Restores what Register replaced, or removes the class keys when there was nothing.
void Unregister(unsigned engines);

// Configuration for every process that loads the stub afterwards (the registry key
// HKCU\Software\TappoloSpeechStub), and for this process (its environment, which wins).
void Configure(const std::string& logPath, int voices, bool failSpeak);
// Removes both configurations.
void ClearConfiguration();

// The calls logged so far, one per line; empty when there is no log.
std::vector<std::string> ReadCalls(const std::string& logPath);
// Forgets the calls logged so far.
void ClearCalls(const std::string& logPath);

} // namespace speechstub
