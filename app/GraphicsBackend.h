#pragma once

#include <QByteArray>

/// How the screens are drawn. The program asks for OpenGL with depth, stencil and multisampling;
/// where the only OpenGL is a software rasteriser (no GPU, remote desktop), that costs a large
/// share of a core even on a still page, and Qt Quick's software renderer draws the same screens
/// for a small fraction of it. Setting QT_QUICK_BACKEND or QSG_RHI_BACKEND leaves the choice to Qt.
class GraphicsBackend
{
public:
    /// Depth 24, stencil 8, OpenGL 3.2 core, 16 samples; before the application object exists.
    static void setDefaultSurfaceFormat();
    /// Picks the scene graph after the application object exists and before the first window:
    /// the software renderer when OpenGL is missing or drawn by the CPU. Returns true for it.
    static bool chooseSceneGraph();
    /// Whether an OpenGL renderer string names a rasteriser that runs on the CPU.
    static bool isSoftwareRasterizer(const QByteArray &renderer);

private:
    /// GL_RENDERER of a throw-away context; empty when no OpenGL context can be made.
    static QByteArray openGlRenderer();
};
