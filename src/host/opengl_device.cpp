// The 3D device over OpenGL 3.3 core: a 640 x 480 picture in a framebuffer
// object, drawn with one small shader pair that takes pre-transformed
// vertices, and shown letterboxed (4:3 kept) on the window.
#include "host/render_device.h"
#include "host/host_test_hooks.h"
#include "host/host_sdl.h"
#include "host/window.h"

#include <SDL.h>
#include <GL/glcorearb.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// --- Function loading through SDL: works alike on a desktop context and on
// the headless EGL one.
#define KOB_GL_FUNCTIONS(X)                                                                        \
    X(PFNGLGETSTRINGPROC, glGetString)                                                             \
    X(PFNGLGETERRORPROC, glGetError)                                                               \
    X(PFNGLENABLEPROC, glEnable)                                                                   \
    X(PFNGLDISABLEPROC, glDisable)                                                                 \
    X(PFNGLVIEWPORTPROC, glViewport)                                                               \
    X(PFNGLCLEARCOLORPROC, glClearColor)                                                           \
    X(PFNGLCLEARDEPTHPROC, glClearDepth)                                                           \
    X(PFNGLCLEARPROC, glClear)                                                                     \
    X(PFNGLDEPTHMASKPROC, glDepthMask)                                                             \
    X(PFNGLCOLORMASKPROC, glColorMask)                                                             \
    X(PFNGLDEPTHFUNCPROC, glDepthFunc)                                                             \
    X(PFNGLBLENDFUNCPROC, glBlendFunc)                                                             \
    X(PFNGLCULLFACEPROC, glCullFace)                                                               \
    X(PFNGLPROVOKINGVERTEXPROC, glProvokingVertex)                                                 \
    X(PFNGLFRONTFACEPROC, glFrontFace)                                                             \
    X(PFNGLREADPIXELSPROC, glReadPixels)                                                           \
    X(PFNGLPIXELSTOREIPROC, glPixelStorei)                                                         \
    X(PFNGLGENTEXTURESPROC, glGenTextures)                                                         \
    X(PFNGLDELETETEXTURESPROC, glDeleteTextures)                                                   \
    X(PFNGLBINDTEXTUREPROC, glBindTexture)                                                         \
    X(PFNGLTEXIMAGE2DPROC, glTexImage2D)                                                           \
    X(PFNGLTEXPARAMETERIPROC, glTexParameteri)                                                     \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                                                     \
    X(PFNGLGENSAMPLERSPROC, glGenSamplers)                                                         \
    X(PFNGLDELETESAMPLERSPROC, glDeleteSamplers)                                                   \
    X(PFNGLBINDSAMPLERPROC, glBindSampler)                                                         \
    X(PFNGLSAMPLERPARAMETERIPROC, glSamplerParameteri)                                             \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                                                 \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                                           \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                                                 \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)                                       \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)                                 \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)                                   \
    X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)                                                 \
    X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                                               \
    X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                                         \
    X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                                               \
    X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                                         \
    X(PFNGLGENBUFFERSPROC, glGenBuffers)                                                           \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                                     \
    X(PFNGLBINDBUFFERPROC, glBindBuffer)                                                           \
    X(PFNGLBUFFERDATAPROC, glBufferData)                                                           \
    X(PFNGLGENVERTEXARRAYSPROC, glGenVertexArrays)                                                 \
    X(PFNGLDELETEVERTEXARRAYSPROC, glDeleteVertexArrays)                                           \
    X(PFNGLBINDVERTEXARRAYPROC, glBindVertexArray)                                                 \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)                                 \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                                         \
    X(PFNGLDRAWARRAYSPROC, glDrawArrays)                                                           \
    X(PFNGLCREATESHADERPROC, glCreateShader)                                                       \
    X(PFNGLSHADERSOURCEPROC, glShaderSource)                                                       \
    X(PFNGLCOMPILESHADERPROC, glCompileShader)                                                     \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv)                                                         \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                                               \
    X(PFNGLDELETESHADERPROC, glDeleteShader)                                                       \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram)                                                     \
    X(PFNGLATTACHSHADERPROC, glAttachShader)                                                       \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                                           \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram)                                                         \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                                       \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                             \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                                     \
    X(PFNGLUSEPROGRAMPROC, glUseProgram)                                                           \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                                           \
    X(PFNGLUNIFORM1IPROC, glUniform1i)                                                             \
    X(PFNGLUNIFORM2FPROC, glUniform2f)

struct GlFunctions {
#define KOB_GL_MEMBER(type, name) type name;
    KOB_GL_FUNCTIONS(KOB_GL_MEMBER)
#undef KOB_GL_MEMBER
};

bool load_gl(GlFunctions& gl)
{
#define KOB_GL_LOAD(type, name)                                                                    \
    gl.name = reinterpret_cast<type>(SDL_GL_GetProcAddress(#name));                                \
    if (!gl.name) {                                                                                \
        std::fprintf(stderr, "OpenGL function %s missing\n", #name);                               \
        return false;                                                                              \
    }
    KOB_GL_FUNCTIONS(KOB_GL_LOAD)
#undef KOB_GL_LOAD
    return true;
}

// Pixel (x, y) with the centres on whole numbers and rows growing down;
// clip w = 1 / rhw, so texture coordinates and colours are interpolated in
// perspective, and depth (= z) stays linear on the screen. A shift of 1/256
// pixel up and left makes a centre lying exactly on an edge belong to the
// shape on its right and below it: the top-left rule the game was drawn with.
const char* const k_vertex_shader = R"(#version 330 core
layout(location = 0) in vec4 a_xyzrhw;
layout(location = 1) in vec4 a_diffuse;
layout(location = 2) in vec2 a_uv;
uniform vec2 u_picture;
out vec4 v_colour;
flat out vec4 v_flat_colour;
out vec2 v_uv;
void main()
{
    float w = a_xyzrhw.w > 0.0 ? 1.0 / a_xyzrhw.w : 1.0;
    vec2 p = a_xyzrhw.xy + vec2(0.5 - 1.0 / 256.0);
    vec2 ndc = vec2(p.x / u_picture.x * 2.0 - 1.0, 1.0 - p.y / u_picture.y * 2.0);
    gl_Position = vec4(ndc * w, (a_xyzrhw.z * 2.0 - 1.0) * w, w);
    v_colour = a_diffuse.bgra;
    v_flat_colour = a_diffuse.bgra;
    v_uv = a_uv;
}
)";

const char* const k_fragment_shader = R"(#version 330 core
in vec4 v_colour;
flat in vec4 v_flat_colour;
in vec2 v_uv;
uniform sampler2D u_texture;
uniform sampler2D u_key_mask;
uniform int u_textured;
uniform int u_keyed;
uniform int u_flat;
uniform int u_colour_op, u_colour_arg1, u_colour_arg2;
uniform int u_alpha_op, u_alpha_arg1, u_alpha_arg2;
out vec4 o_colour;
vec4 argument(int which, vec4 texel, vec4 diffuse)
{
    return which == 2 ? texel : diffuse;
}
vec4 combine(int op, vec4 a1, vec4 a2, vec4 diffuse)
{
    if (op == 2) return a1;
    if (op == 3) return a2;
    if (op == 4) return a1 * a2;
    return diffuse;
}
void main()
{
    vec4 diffuse = u_flat != 0 ? v_flat_colour : v_colour;
    vec4 texel = vec4(1.0);
    if (u_textured != 0) {
        if (u_keyed != 0 && texture(u_key_mask, v_uv).r > 0.5) discard;
        texel = texture(u_texture, v_uv);
    }
    vec4 c = combine(u_colour_op, argument(u_colour_arg1, texel, diffuse),
                     argument(u_colour_arg2, texel, diffuse), diffuse);
    vec4 a = combine(u_alpha_op, argument(u_alpha_arg1, texel, diffuse),
                     argument(u_alpha_arg2, texel, diffuse), diffuse);
    o_colour = vec4(c.rgb, a.a);
}
)";

struct GlTexture final : HostTexture {
    GLuint name = 0;
    GLuint key_mask = 0; // R8 texture: 1 where the texel equals the colour key
    std::vector<uint16_t> texels;
    bool keyed = false;
    uint16_t key = 0;
};

const HostPixelFormat k_texture_formats[] = {
    {HOST_PF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0},
    {HOST_PF_RGB | HOST_PF_ALPHAPIXELS, 16, 0x7C00, 0x03E0, 0x001F, 0x8000},
    {HOST_PF_RGB | HOST_PF_ALPHAPIXELS, 16, 0x0F00, 0x00F0, 0x000F, 0xF000},
};

uint8_t expand_channel(uint32_t texel, uint32_t mask)
{
    if (mask == 0) return 255;
    uint32_t shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((texel & mask) >> shift) * 255 / max);
}

GLenum blend_factor(uint32_t value)
{
    switch (value) {
    case HOST_BLEND_ZERO: return GL_ZERO;
    case HOST_BLEND_ONE: return GL_ONE;
    case HOST_BLEND_SRCCOLOR: return GL_SRC_COLOR;
    case HOST_BLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case HOST_BLEND_SRCALPHA: return GL_SRC_ALPHA;
    case HOST_BLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case HOST_BLEND_DESTALPHA: return GL_DST_ALPHA;
    case HOST_BLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case HOST_BLEND_DESTCOLOR: return GL_DST_COLOR;
    case HOST_BLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case HOST_BLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
    }
}

GLenum compare_function(uint32_t value)
{
    static const GLenum functions[] = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL,
                                       GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return value >= 1 && value <= 8 ? functions[value - 1] : GL_LEQUAL;
}

class OpenGlDevice final : public HostRenderDevice {
public:
    ~OpenGlDevice() override;
    bool open(SDL_Window* window);

    void begin_scene() override {}
    void end_scene() override {}
    void clear(uint32_t colour, float z) override;
    void set_render_state(uint32_t state, uint32_t value) override;
    void set_texture_stage_state(uint32_t stage, uint32_t state, uint32_t value) override;
    void draw_primitive(uint32_t primitive, const HostTLVertex* vertices, uint32_t count) override;
    bool present() override;
    int texture_format_count() const override { return 3; }
    HostPixelFormat texture_format(int index) const override;
    HostTexture* create_texture(uint32_t width, uint32_t height, const HostPixelFormat& format) override;
    void write_texture(HostTexture* texture, const uint16_t* texels) override;
    void set_colour_key(HostTexture* texture, uint16_t key) override;
    void release_texture(HostTexture* texture) override;
    void set_texture(uint32_t stage, HostTexture* texture) override;
    bool read_picture(uint32_t* pixels) override;

private:
    void upload(GlTexture* texture);
    void apply_stage_uniforms();

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    GlFunctions gl_{};
    GLuint frame_ = 0, colour_ = 0, depth_ = 0;
    GLuint program_ = 0, vao_ = 0, vbo_ = 0, sampler_ = 0, key_sampler_ = 0;
    GLint u_textured_ = -1, u_keyed_ = -1, u_flat_ = -1;
    GLint u_stage_[6] = {-1, -1, -1, -1, -1, -1};
    GlTexture* bound_ = nullptr;
    uint32_t stage_[6] = {HOST_TOP_MODULATE, HOST_TA_TEXTURE, HOST_TA_CURRENT,
                          HOST_TOP_SELECTARG1, HOST_TA_TEXTURE, HOST_TA_CURRENT};
    bool colour_key_on_ = false;
    bool flat_ = false;
    bool z_write_ = true;
    bool blend_on_ = false;
    uint32_t src_blend_ = HOST_BLEND_ONE, dest_blend_ = HOST_BLEND_ZERO;
};

bool OpenGlDevice::open(SDL_Window* window)
{
    window_ = window;
    host_keep_gl_library_loaded();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    context_ = SDL_GL_CreateContext(window);
    if (!context_) {
        std::fprintf(stderr, "OpenGL context: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, context_);
    if (!load_gl(gl_)) return false;

    gl_.glGenTextures(1, &colour_);
    gl_.glBindTexture(GL_TEXTURE_2D, colour_);
    gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, PICTURE_WIDTH, PICTURE_HEIGHT, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, nullptr);
    gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl_.glGenRenderbuffers(1, &depth_);
    gl_.glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    gl_.glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, PICTURE_WIDTH, PICTURE_HEIGHT);
    gl_.glGenFramebuffers(1, &frame_);
    gl_.glBindFramebuffer(GL_FRAMEBUFFER, frame_);
    gl_.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
    gl_.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    if (gl_.glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "OpenGL picture buffer incomplete\n");
        return false;
    }

    auto compile = [&](GLenum kind, const char* source) -> GLuint {
        GLuint shader = gl_.glCreateShader(kind);
        gl_.glShaderSource(shader, 1, &source, nullptr);
        gl_.glCompileShader(shader);
        GLint ok = 0;
        gl_.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[1024];
            gl_.glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            std::fprintf(stderr, "shader: %s\n", log);
        }
        return shader;
    };
    GLuint vs = compile(GL_VERTEX_SHADER, k_vertex_shader);
    GLuint fs = compile(GL_FRAGMENT_SHADER, k_fragment_shader);
    program_ = gl_.glCreateProgram();
    gl_.glAttachShader(program_, vs);
    gl_.glAttachShader(program_, fs);
    gl_.glLinkProgram(program_);
    gl_.glDeleteShader(vs);
    gl_.glDeleteShader(fs);
    GLint linked = 0;
    gl_.glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024];
        gl_.glGetProgramInfoLog(program_, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader program: %s\n", log);
        return false;
    }
    gl_.glUseProgram(program_);
    gl_.glUniform2f(gl_.glGetUniformLocation(program_, "u_picture"), PICTURE_WIDTH, PICTURE_HEIGHT);
    gl_.glUniform1i(gl_.glGetUniformLocation(program_, "u_texture"), 0);
    gl_.glUniform1i(gl_.glGetUniformLocation(program_, "u_key_mask"), 1);
    u_textured_ = gl_.glGetUniformLocation(program_, "u_textured");
    u_keyed_ = gl_.glGetUniformLocation(program_, "u_keyed");
    u_flat_ = gl_.glGetUniformLocation(program_, "u_flat");
    static const char* const stage_names[6] = {"u_colour_op", "u_colour_arg1", "u_colour_arg2",
                                               "u_alpha_op", "u_alpha_arg1", "u_alpha_arg2"};
    for (int i = 0; i < 6; ++i) u_stage_[i] = gl_.glGetUniformLocation(program_, stage_names[i]);
    apply_stage_uniforms();
    gl_.glUniform1i(u_textured_, 0);
    gl_.glUniform1i(u_keyed_, 0);
    gl_.glUniform1i(u_flat_, 0);

    gl_.glGenVertexArrays(1, &vao_);
    gl_.glBindVertexArray(vao_);
    gl_.glGenBuffers(1, &vbo_);
    gl_.glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    gl_.glEnableVertexAttribArray(0);
    gl_.glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(HostTLVertex), nullptr);
    gl_.glEnableVertexAttribArray(1);
    gl_.glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(HostTLVertex),
                              reinterpret_cast<const void*>(offsetof(HostTLVertex, diffuse)));
    gl_.glEnableVertexAttribArray(2);
    gl_.glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(HostTLVertex),
                              reinterpret_cast<const void*>(offsetof(HostTLVertex, u)));

    gl_.glGenSamplers(1, &sampler_);
    gl_.glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl_.glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl_.glBindSampler(0, sampler_);
    gl_.glGenSamplers(1, &key_sampler_);
    gl_.glSamplerParameteri(key_sampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl_.glSamplerParameteri(key_sampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl_.glBindSampler(1, key_sampler_);

    gl_.glViewport(0, 0, PICTURE_WIDTH, PICTURE_HEIGHT);
    // Flat shading takes a list triangle's first vertex, a fan triangle's second.
    gl_.glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    gl_.glDisable(GL_CULL_FACE);
    gl_.glEnable(GL_DEPTH_TEST);
    gl_.glDepthFunc(GL_LEQUAL);
    gl_.glDisable(GL_BLEND);
    return true;
}

OpenGlDevice::~OpenGlDevice()
{
    if (!context_) return;
    SDL_GL_MakeCurrent(window_, context_);
    if (gl_.glDeleteProgram) {
        gl_.glDeleteProgram(program_);
        gl_.glDeleteBuffers(1, &vbo_);
        gl_.glDeleteVertexArrays(1, &vao_);
        gl_.glDeleteSamplers(1, &sampler_);
        gl_.glDeleteSamplers(1, &key_sampler_);
        gl_.glDeleteFramebuffers(1, &frame_);
        gl_.glDeleteRenderbuffers(1, &depth_);
        gl_.glDeleteTextures(1, &colour_);
    }
    SDL_GL_DeleteContext(context_);
}

void OpenGlDevice::clear(uint32_t colour, float z)
{
    gl_.glBindFramebuffer(GL_FRAMEBUFFER, frame_);
    gl_.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl_.glDepthMask(GL_TRUE);
    gl_.glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                     (colour & 0xFF) / 255.0f, ((colour >> 24) & 0xFF) / 255.0f);
    gl_.glClearDepth(z);
    gl_.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl_.glDepthMask(z_write_ ? GL_TRUE : GL_FALSE);
}

void OpenGlDevice::set_render_state(uint32_t state, uint32_t value)
{
    switch (state) {
    case HOST_RS_ZENABLE:
        if (value) gl_.glEnable(GL_DEPTH_TEST);
        else gl_.glDisable(GL_DEPTH_TEST);
        break;
    case HOST_RS_ZWRITEENABLE:
        z_write_ = value != 0;
        gl_.glDepthMask(z_write_ ? GL_TRUE : GL_FALSE);
        break;
    case HOST_RS_ZFUNC: gl_.glDepthFunc(compare_function(value)); break;
    case HOST_RS_ALPHABLENDENABLE:
        blend_on_ = value != 0;
        if (blend_on_) gl_.glEnable(GL_BLEND);
        else gl_.glDisable(GL_BLEND);
        break;
    case HOST_RS_SRCBLEND:
        src_blend_ = value;
        gl_.glBlendFunc(blend_factor(src_blend_), blend_factor(dest_blend_));
        break;
    case HOST_RS_DESTBLEND:
        dest_blend_ = value;
        gl_.glBlendFunc(blend_factor(src_blend_), blend_factor(dest_blend_));
        break;
    case HOST_RS_SHADEMODE:
        flat_ = value == HOST_SHADE_FLAT;
        gl_.glUniform1i(u_flat_, flat_ ? 1 : 0);
        break;
    case HOST_RS_CULLMODE:
        // Screen rows grow downwards and GL's upwards: a triangle clockwise
        // on the screen is counter-clockwise to GL.
        if (value == HOST_CULL_NONE) {
            gl_.glDisable(GL_CULL_FACE);
        } else {
            gl_.glEnable(GL_CULL_FACE);
            gl_.glFrontFace(value == HOST_CULL_CCW ? GL_CCW : GL_CW);
            gl_.glCullFace(GL_BACK);
        }
        break;
    case HOST_RS_COLORKEYENABLE: colour_key_on_ = value != 0; break;
    case HOST_RS_TEXTUREMAPBLEND:
        if (value == HOST_TBLEND_MODULATE) {
            const uint32_t modulate[6] = {HOST_TOP_MODULATE, HOST_TA_TEXTURE, HOST_TA_CURRENT,
                                          HOST_TOP_MODULATE, HOST_TA_TEXTURE, HOST_TA_CURRENT};
            std::memcpy(stage_, modulate, sizeof stage_);
            apply_stage_uniforms();
        }
        break;
    default: break; // perspective is always correct; dithering and specular have no effect here
    }
}

void OpenGlDevice::set_texture_stage_state(uint32_t stage, uint32_t state, uint32_t value)
{
    if (stage != 0) return;
    switch (state) {
    case HOST_TSS_COLOROP: stage_[0] = value; break;
    case HOST_TSS_COLORARG1: stage_[1] = value; break;
    case HOST_TSS_COLORARG2: stage_[2] = value; break;
    case HOST_TSS_ALPHAOP: stage_[3] = value; break;
    case HOST_TSS_ALPHAARG1: stage_[4] = value; break;
    case HOST_TSS_ALPHAARG2: stage_[5] = value; break;
    case HOST_TSS_MINFILTER:
        gl_.glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, value == HOST_FILTER_POINT ? GL_NEAREST : GL_LINEAR);
        return;
    case HOST_TSS_MAGFILTER:
        gl_.glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, value == HOST_FILTER_POINT ? GL_NEAREST : GL_LINEAR);
        return;
    default: return;
    }
    apply_stage_uniforms();
}

void OpenGlDevice::apply_stage_uniforms()
{
    for (int i = 0; i < 6; ++i) gl_.glUniform1i(u_stage_[i], static_cast<GLint>(stage_[i]));
}

void OpenGlDevice::draw_primitive(uint32_t primitive, const HostTLVertex* vertices, uint32_t count)
{
    if (!vertices || count < 3) return;
    GLenum mode = primitive == HOST_TRIANGLE_FAN ? GL_TRIANGLE_FAN : GL_TRIANGLES;
    if (primitive != HOST_TRIANGLE_FAN && primitive != HOST_TRIANGLE_LIST) return;
    gl_.glBindFramebuffer(GL_FRAMEBUFFER, frame_);
    gl_.glViewport(0, 0, PICTURE_WIDTH, PICTURE_HEIGHT);
    gl_.glUniform1i(u_textured_, bound_ ? 1 : 0);
    gl_.glUniform1i(u_keyed_, bound_ && bound_->keyed && colour_key_on_ ? 1 : 0);
    gl_.glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    gl_.glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * sizeof(HostTLVertex)), vertices,
                     GL_STREAM_DRAW);
    gl_.glDrawArrays(mode, 0, static_cast<GLsizei>(count));
}

bool OpenGlDevice::present()
{
    const bool main_window = window_ == as_sdl(host_window());
    std::string shot;
    if (main_window && host_take_screenshot_request(&shot)) {
        std::vector<uint32_t> pixels(size_t(PICTURE_WIDTH) * PICTURE_HEIGHT);
        if (!read_picture(pixels.data()) || !host_write_png(shot, pixels.data(), PICTURE_WIDTH, PICTURE_HEIGHT))
            std::fprintf(stderr, "screenshot: cannot write %s\n", shot.c_str());
    }
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(window_, &width, &height);
    // On the main window the picture keeps its 4:3 shape, centred.
    HostRect shown = main_window ? host_picture_rect() : HostRect{0, 0, width, height};
    // GL counts rows from the bottom.
    int x = shown.x, y = height - shown.y - shown.h;
    gl_.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl_.glViewport(0, 0, width, height);
    gl_.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    gl_.glClearColor(0, 0, 0, 1);
    gl_.glClear(GL_COLOR_BUFFER_BIT);
    gl_.glBindFramebuffer(GL_READ_FRAMEBUFFER, frame_);
    gl_.glBlitFramebuffer(0, 0, PICTURE_WIDTH, PICTURE_HEIGHT, x, y, x + shown.w, y + shown.h,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
    SDL_GL_SwapWindow(window_);
    gl_.glBindFramebuffer(GL_FRAMEBUFFER, frame_);
    if (main_window) host_clock_frame_shown();
    return true;
}

HostPixelFormat OpenGlDevice::texture_format(int index) const
{
    if (index < 0 || index >= texture_format_count()) return {};
    return k_texture_formats[index];
}

HostTexture* OpenGlDevice::create_texture(uint32_t width, uint32_t height, const HostPixelFormat& format)
{
    if (width == 0 || height == 0 || width > 4096 || height > 4096 || format.bits != 16) return nullptr;
    auto* texture = new GlTexture;
    texture->width = width;
    texture->height = height;
    texture->format = format;
    texture->texels.assign(static_cast<size_t>(width) * height, 0);
    gl_.glGenTextures(1, &texture->name);
    gl_.glGenTextures(1, &texture->key_mask);
    upload(texture);
    return texture;
}

void OpenGlDevice::write_texture(HostTexture* base, const uint16_t* texels)
{
    auto* texture = static_cast<GlTexture*>(base);
    if (!texture || !texels) return;
    std::memcpy(texture->texels.data(), texels, texture->texels.size() * sizeof(uint16_t));
    upload(texture);
}

void OpenGlDevice::set_colour_key(HostTexture* base, uint16_t key)
{
    auto* texture = static_cast<GlTexture*>(base);
    if (!texture) return;
    texture->keyed = true;
    texture->key = key;
    upload(texture);
}

void OpenGlDevice::upload(GlTexture* texture)
{
    const HostPixelFormat& f = texture->format;
    size_t count = texture->texels.size();
    std::vector<uint8_t> rgba(count * 4), mask(count);
    for (size_t i = 0; i < count; ++i) {
        uint32_t t = texture->texels[i];
        rgba[i * 4 + 0] = expand_channel(t, f.red_mask);
        rgba[i * 4 + 1] = expand_channel(t, f.green_mask);
        rgba[i * 4 + 2] = expand_channel(t, f.blue_mask);
        rgba[i * 4 + 3] = expand_channel(t, f.alpha_mask);
        mask[i] = texture->keyed && texture->texels[i] == texture->key ? 255 : 0;
    }
    // A keyed texel takes the colour of a drawn neighbour: filtering then
    // blends a shape's edge with its own colour, not with the key's.
    if (texture->keyed) {
        const size_t w = texture->width, h = texture->height;
        std::vector<uint8_t> padded(rgba);
        for (size_t y = 0; y < h; ++y)
            for (size_t x = 0; x < w; ++x) {
                const size_t i = y * w + x;
                if (!mask[i]) continue;
                const size_t neighbours[4] = {x > 0 ? i - 1 : i, x + 1 < w ? i + 1 : i, y > 0 ? i - w : i, y + 1 < h ? i + w : i};
                for (size_t n : neighbours)
                    if (!mask[n]) {
                        std::memcpy(&padded[i * 4], &rgba[n * 4], 3);
                        break;
                    }
            }
        rgba.swap(padded);
    }
    gl_.glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl_.glActiveTexture(GL_TEXTURE1);
    gl_.glBindTexture(GL_TEXTURE_2D, texture->key_mask);
    gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, static_cast<GLsizei>(texture->width),
                     static_cast<GLsizei>(texture->height), 0, GL_RED, GL_UNSIGNED_BYTE, mask.data());
    gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl_.glActiveTexture(GL_TEXTURE0);
    gl_.glBindTexture(GL_TEXTURE_2D, texture->name);
    gl_.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(texture->width),
                     static_cast<GLsizei>(texture->height), 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    gl_.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    set_texture(0, bound_);
}

void OpenGlDevice::release_texture(HostTexture* base)
{
    auto* texture = static_cast<GlTexture*>(base);
    if (!texture) return;
    if (bound_ == texture) set_texture(0, nullptr);
    gl_.glDeleteTextures(1, &texture->name);
    gl_.glDeleteTextures(1, &texture->key_mask);
    delete texture;
}

void OpenGlDevice::set_texture(uint32_t stage, HostTexture* base)
{
    auto* texture = static_cast<GlTexture*>(base);
    if (stage != 0) return;
    bound_ = texture;
    gl_.glActiveTexture(GL_TEXTURE1);
    gl_.glBindTexture(GL_TEXTURE_2D, texture ? texture->key_mask : 0);
    gl_.glActiveTexture(GL_TEXTURE0);
    gl_.glBindTexture(GL_TEXTURE_2D, texture ? texture->name : 0);
}

bool OpenGlDevice::read_picture(uint32_t* pixels)
{
    if (!pixels) return false;
    std::vector<uint8_t> rgba(size_t(PICTURE_WIDTH) * PICTURE_HEIGHT * 4);
    gl_.glBindFramebuffer(GL_FRAMEBUFFER, frame_);
    gl_.glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl_.glReadPixels(0, 0, PICTURE_WIDTH, PICTURE_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int row = 0; row < PICTURE_HEIGHT; ++row) {
        const uint8_t* src = &rgba[size_t(PICTURE_HEIGHT - 1 - row) * PICTURE_WIDTH * 4];
        for (int x = 0; x < PICTURE_WIDTH; ++x, src += 4)
            pixels[size_t(row) * PICTURE_WIDTH + x] =
                0xFF000000u | uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
    }
    return gl_.glGetError() == GL_NO_ERROR;
}

// --- The machine's provider: one primary driver with one hardware device
// that textures in perspective, the 640 x 480 modes and a 16-bit depth format.

class OpenGlProvider final : public HostDisplayProvider {
public:
    int driver_count() const override { return 1; }
    HostDriverDesc driver(int) const override
    {
        HostDriverDesc d{};
        d.has_guid = false;
        std::strcpy(d.description, "Primary Display Driver");
        std::strcpy(d.name, "display");
        d.caps2 = HOST_CAPS2_CANRENDERWINDOWED;
        d.opens = true;
        return d;
    }
    int device_count(int) const override { return 1; }
    HostDeviceDesc device(int, int) const override
    {
        HostDeviceDesc d{};
        static const uint8_t guid[16] = {0x4b, 0x4f, 0x42, 0x39, 0x39, 0x2d, 0x47, 0x4c,
                                         0x2d, 0x48, 0x41, 0x4c, 0x00, 0x00, 0x00, 0x01};
        std::memcpy(d.guid, guid, 16);
        std::strcpy(d.name, "OpenGL Hardware Device");
        d.hardware = {1, HOST_COLOURMODEL_RGB, 0, HOST_TEXCAPS_PERSPECTIVE,
                      HOST_BITDEPTH_16 | HOST_BITDEPTH_32, HOST_BITDEPTH_16};
        return d;
    }
    int mode_count(int) const override { return 2; }
    HostDisplayMode mode(int, int index) const override
    {
        return {uint32_t(PICTURE_WIDTH), uint32_t(PICTURE_HEIGHT), index == 0 ? 16u : 32u};
    }
    HostDisplayMode desktop_mode() const override { return {uint32_t(PICTURE_WIDTH), uint32_t(PICTURE_HEIGHT), 32}; }
    int zbuffer_format_count(int, int) const override { return 1; }
    HostPixelFormat zbuffer_format(int, int, int) const override { return {HOST_PF_ZBUFFER, 16, 0, 0, 0, 0}; }
    HostRenderDevice* create_device(int, int, HostWindow* window, bool) override
    {
        if (!window) return nullptr;
        auto* device = new OpenGlDevice;
        if (!device->open(as_sdl(window))) {
            delete device;
            return nullptr;
        }
        return device;
    }
    void release_device(HostRenderDevice* device) override { delete device; }
};

OpenGlProvider g_machine_provider;
HostDisplayProvider* g_provider = nullptr;

} // namespace

void host_keep_gl_library_loaded()
{
    static bool held = SDL_GL_LoadLibrary(nullptr) == 0;
    (void)held;
}

HostDisplayProvider* host_display_provider() { return g_provider ? g_provider : &g_machine_provider; }
void host_set_display_provider(HostDisplayProvider* provider) { g_provider = provider; }
