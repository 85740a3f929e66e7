; The peer installer the size and install-time figures compare against: the same two files and
; licence text, zlib compression, a licence page, installed into the Windows directory.
; makensis -DSAVER=<file> -DUNINSTALLER=<file> -DLICENCE=<file> -DOUT=<file> peer.nsi
SetCompressor zlib
Name "Zembrino's Screen Saver"
OutFile "${OUT}"
InstallDir $WINDIR
RequestExecutionLevel admin
LicenseData "${LICENCE}"
Page license
Page instfiles
Section
  SetOutPath $INSTDIR
  ; Each under the name of the built file, which is the name the installer gives it.
  File "${SAVER}"
  File "${UNINSTALLER}"
SectionEnd
