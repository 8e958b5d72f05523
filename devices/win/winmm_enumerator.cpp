#include "devices/win/winmm_enumerator.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "model/text.h"

namespace klangrid {

unsigned WinmmEnumerator::DeviceCount() { return midiOutGetNumDevs(); }

bool WinmmEnumerator::DeviceProductName(unsigned id, char (&name)[kProductNameSize]) {
  MIDIOUTCAPSA caps;
  std::memset(&caps, 0, sizeof caps);
  if (midiOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
  // A driver may fill all 32 bytes of szPname without a NUL.
  CopyField(name, sizeof name, caps.szPname, sizeof caps.szPname);
  return true;
}

}  // namespace klangrid
