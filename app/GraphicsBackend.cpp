#include "GraphicsBackend.h"

#include <QLoggingCategory>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QSurfaceFormat>

Q_LOGGING_CATEGORY(lcGraphics, "vt.graphics")

namespace {
constexpr int DepthBufferBits = 24;
constexpr int StencilBufferBits = 8;
constexpr int Samples = 16;
constexpr int GlMajor = 3;
constexpr int GlMinor = 2;
/// Renderer names of Mesa's and Windows' CPU rasterisers.
const char *const SoftwareRenderers[] = {
    "llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR", "GDI Generic", "Microsoft Basic Render"};
} // namespace

void GraphicsBackend::setDefaultSurfaceFormat()
{
    QSurfaceFormat format;
    format.setDepthBufferSize(DepthBufferBits);
    format.setStencilBufferSize(StencilBufferBits);
    format.setVersion(GlMajor, GlMinor);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setSamples(Samples);
    QSurfaceFormat::setDefaultFormat(format);
}

bool GraphicsBackend::isSoftwareRasterizer(const QByteArray &renderer)
{
    for (const char *name : SoftwareRenderers) {
        if (renderer.contains(name))
            return true;
    }
    return false;
}

QByteArray GraphicsBackend::openGlRenderer()
{
    QOpenGLContext context;
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface))
        return {};
    const auto *name = reinterpret_cast<const char *>(context.functions()->glGetString(GL_RENDERER));
    const QByteArray renderer(name ? name : "");
    context.doneCurrent();
    return renderer;
}

bool GraphicsBackend::chooseSceneGraph()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return false;
    const QByteArray renderer = openGlRenderer();
    if (!renderer.isEmpty() && !isSoftwareRasterizer(renderer)) {
        qCDebug(lcGraphics) << "OpenGL scene graph on" << renderer;
        return false;
    }
    qCInfo(lcGraphics) << "software scene graph, OpenGL renderer:"
                       << (renderer.isEmpty() ? "none" : renderer);
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setSamples(0);
    QSurfaceFormat::setDefaultFormat(format);
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    return true;
}
