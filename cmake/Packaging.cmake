# The Debian package: `cpack -G DEB` (scripts/build-deb.sh) packs what `cmake --install` installs.
set(CPACK_PACKAGE_NAME vantrellab)
set(CPACK_PACKAGE_VENDOR "VantrelLab developers")
set(CPACK_PACKAGE_CONTACT "VantrelLab developers <vantrellab@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Control program for a modular SSPD instrument crate")
set(CPACK_PACKAGE_DESCRIPTION
    "Biases superconducting single-photon detectors and reads their count rates, watches the\n"
    "cryostat temperature, runs sweeps, edits module calibration constants and updates module\n"
    "firmware. Includes the crate simulator vantrel-sim with its crate\n"
    "descriptions, and vantrel-flash, which writes module firmware over a serial port.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://localhost/vantrellab")
# The Qt 6 runtime the binaries link directly (dpkg -S of their NEEDED entries) and the QML
# modules the screens import, including what QtQuick.Dialogs' file dialog loads itself.
set(VT_DEB_QT_LIBRARIES
    libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6serialport6 libqt6charts6 libqt6opengl6
    libqt6openglwidgets6 libqt6svg6 libqt6qml6 libqt6qmlmodels6 libqt6quick6 libqt6quickcontrols2-6)
set(VT_DEB_QML_MODULES
    qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtquick
    qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
    qml6-module-qtquick-window qml6-module-qtquick-dialogs qml6-module-qtquick-shapes
    qml6-module-qtcharts qml6-module-qt-labs-folderlistmodel)
set(VT_DEB_DEPENDS "libc6, libstdc++6, libgcc-s1, libglx0, libopengl0")
foreach(package IN LISTS VT_DEB_QT_LIBRARIES VT_DEB_QML_MODULES)
    string(APPEND VT_DEB_DEPENDS ", ${package} (>= 6.4)")
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${VT_DEB_DEPENDS}")
# libqt6gui6 brings the X11 platform plugin; Wayland sessions want this one.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
# The automation interface's Python client under share/vantrellab/python runs on it.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3")

include(CPack)
