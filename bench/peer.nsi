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
  File "/oname=Zembrino's Screen Saver.scr" "${SAVER}"
  File "/oname=zmsaveru.exe" "${UNINSTALLER}"
SectionEnd
