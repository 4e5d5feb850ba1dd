// scriptlab.cpp - measure Uniscribe / GDI / DirectWrite text behaviour under Wine.
// Build: see build.sh.  Run: wine64 scriptlab.exe MODE   (MODE = enum|draw|time|long|caret|dwrite)
// Results go to out_MODE.txt (UTF-8) in the current directory; draw also writes draw.bmp.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>
#include <usp10.h>
#include <dwrite_2.h>
#include <cstdio>
#include <cstdarg>
#include <cwchar>
#include <string>
#include <vector>
#include <algorithm>
#include <set>

static FILE* g_out;
static void say(const wchar_t* fmt, ...) {
    wchar_t buf[8192];
    va_list ap; va_start(ap, fmt); _vsnwprintf(buf, 8191, fmt, ap); va_end(ap); buf[8191] = 0;
    char u8[32768];
    int n = WideCharToMultiByte(CP_UTF8, 0, buf, -1, u8, sizeof u8, nullptr, nullptr);
    if (n > 0) { fputs(u8, g_out); fflush(g_out); }
}

static const wchar_t* LINES[] = {
    L"Latin: Hello, wörld",
    L"Cyrillic: Привет, мир",
    L"Greek: Καλημέρα",
    L"Arabic: مرحبا بالعالم",
    L"Hebrew: שלום",
    L"CJK: 你好，世界 こんにちは",
    L"Thai: สวัสดี",
    L"Devanagari: नमस्ते",
    L"Emoji: 😀👍🏽🇩🇪",
    L"Combining: e\u0301 a\u0308",
    L"Tab:\tafter tab",
    L"NUL stand-in: \u2400",
};
static const int NLINES = sizeof LINES / sizeof LINES[0];

static HFONT makeFont(HDC dc, const wchar_t* face, int pt = 10) {
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(pt, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;  // keep pixels crisp for inspection
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

// ---------- 32-bit DIB section canvas ----------
struct Canvas {
    HDC dc = nullptr; HBITMAP bmp = nullptr; void* bits = nullptr; int w = 0, h = 0;
    Canvas(int w_, int h_) : w(w_), h(h_) {
        dc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader; bi.bmiHeader.biWidth = w; bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1; bi.bmiHeader.biBitCount = 32; bi.bmiHeader.biCompression = BI_RGB;
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bmp);
        RECT r = {0, 0, w, h}; FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
        SetBkMode(dc, TRANSPARENT); SetTextColor(dc, RGB(0, 0, 0));
    }
    ~Canvas() { DeleteDC(dc); DeleteObject(bmp); }
    bool save(const wchar_t* path) {
        GdiFlush();
        FILE* f = _wfopen(path, L"wb"); if (!f) return false;
        BITMAPFILEHEADER fh = {}; BITMAPINFOHEADER ih = {};
        ih.biSize = sizeof ih; ih.biWidth = w; ih.biHeight = h; ih.biPlanes = 1; ih.biBitCount = 32; ih.biCompression = BI_RGB;
        fh.bfType = 0x4d42; fh.bfOffBits = sizeof fh + sizeof ih; fh.bfSize = fh.bfOffBits + w * h * 4;
        fwrite(&fh, sizeof fh, 1, f); fwrite(&ih, sizeof ih, 1, f);
        for (int y = h - 1; y >= 0; --y) fwrite((char*)bits + (size_t)y * w * 4, 4, w, f);  // bottom-up
        fclose(f); return true;
    }
};

// ---------- (a) today's way: one UTF-16 unit per fixed cell ----------
static void drawCells(HDC dc, HFONT f, int x, int y, const wchar_t* s, int n) {
    SelectObject(dc, f);
    TEXTMETRICW tm; GetTextMetricsW(dc, &tm);
    std::vector<int> dx(n, tm.tmAveCharWidth);
    ExtTextOutW(dc, x, y, 0, nullptr, s, n, dx.data());
}

// ---------- (b) ScriptStringAnalyse + ScriptStringOut ----------
static const DWORD SSA_FLAGS = SSA_GLYPHS | SSA_FALLBACK | SSA_LINK | SSA_TAB;
static HRESULT ssaAnalyse(HDC dc, HFONT f, const wchar_t* s, int n, SCRIPT_STRING_ANALYSIS* ssa, DWORD flags = SSA_FLAGS) {
    SelectObject(dc, f);
    TEXTMETRICW tm; GetTextMetricsW(dc, &tm);
    static int tabStop; tabStop = 8 * tm.tmAveCharWidth;
    SCRIPT_TABDEF td = {1, 4, &tabStop, 0};  // iScale 4 => values are device pixels
    return ScriptStringAnalyse(dc, s, n, n * 3 / 2 + 16, -1, flags, 0, nullptr, nullptr, nullptr,
                               (flags & SSA_TAB) ? &td : nullptr, nullptr, ssa);
}
static HRESULT drawSSA(HDC dc, HFONT f, int x, int y, const wchar_t* s, int n, int* width = nullptr) {
    SCRIPT_STRING_ANALYSIS ssa = nullptr;
    HRESULT hr = ssaAnalyse(dc, f, s, n, &ssa);
    if (FAILED(hr)) return hr;
    if (width) { const SIZE* sz = ScriptString_pSize(ssa); *width = sz ? sz->cx : -1; }
    hr = ScriptStringOut(ssa, x, y, 0, nullptr, 0, 0, FALSE);
    ScriptStringFree(&ssa);
    return hr;
}

// ---------- (c) ScriptItemize/Shape/Place/TextOut with manual per-cluster fallback ----------
struct FontSlot { std::wstring face; HFONT hf = nullptr; SCRIPT_CACHE sc = nullptr; WORD wgDefault = 0; bool trueType = false; };
struct Seg {
    int font = 0, cp0 = 0, ncp = 0; SCRIPT_ANALYSIS sa = {};
    std::vector<WORD> glyphs, clust; std::vector<SCRIPT_VISATTR> va;
    std::vector<int> adv; std::vector<GOFFSET> off; int width = 0; int missing = 0;
};
static std::vector<FontSlot> g_fonts;

static void initFonts(HDC dc, const std::vector<std::wstring>& faces) {
    for (auto& f : g_fonts) { ScriptFreeCache(&f.sc); DeleteObject(f.hf); }
    g_fonts.clear();
    for (auto& face : faces) {
        FontSlot fs; fs.face = face; fs.hf = makeFont(dc, face.c_str());
        SelectObject(dc, fs.hf);
        SCRIPT_FONTPROPERTIES fp = {sizeof fp};
        if (SUCCEEDED(ScriptGetFontProperties(dc, &fs.sc, &fp))) fs.wgDefault = fp.wgDefault;
        TEXTMETRICW tm; GetTextMetricsW(dc, &tm); fs.trueType = (tm.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR)) != 0;
        g_fonts.push_back(fs);
    }
}

static HRESULT shapeWith(HDC dc, int fi, const wchar_t* s, int n, SCRIPT_ANALYSIS sa, Seg& g) {
    FontSlot& f = g_fonts[fi];
    SelectObject(dc, f.hf);
    int maxg = n * 3 / 2 + 16, ng = 0; HRESULT hr;
    for (;;) {
        g.glyphs.assign(maxg, 0); g.clust.assign(n, 0); g.va.assign(maxg, SCRIPT_VISATTR{});
        hr = ScriptShape(dc, &f.sc, s, n, maxg, &sa, g.glyphs.data(), g.clust.data(), g.va.data(), &ng);
        if (hr == E_OUTOFMEMORY && maxg < 1 << 20) { maxg *= 2; continue; }
        break;
    }
    if (FAILED(hr)) return hr;
    g.glyphs.resize(ng); g.va.resize(ng); g.sa = sa; g.font = fi; g.ncp = n;
    return hr;
}
static bool ignorable(wchar_t c) {
    return (c >= 0x200B && c <= 0x200F) || (c >= 0x2060 && c <= 0x2064) || (c >= 0xFE00 && c <= 0xFE0F) || c == 0x00AD;
}
// Mark chars whose cluster contains the font's default glyph (cluster = glyphs from its logclust value
// up to the next larger logclust value in the run).  Wine's ScriptShape on a raster (.fon) font returns the
// code unit itself as "glyph" and never wgDefault, so coverage is also checked with GetGlyphIndicesW
// (GGI_MARK_NONEXISTING_GLYPHS); that call knows no surrogates, so for raster fonts surrogates count as missing.
static std::vector<char> missingChars(HDC dc, const wchar_t* s, const Seg& g, const FontSlot& f) {
    WORD wgDefault = f.wgDefault;
    int n = g.ncp, ng = (int)g.glyphs.size();
    std::vector<int> starts(g.clust.begin(), g.clust.end());
    std::sort(starts.begin(), starts.end()); starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    std::vector<char> m(n, 0);
    for (int i = 0; i < n; ++i) {
        int a = g.clust[i];
        auto it = std::upper_bound(starts.begin(), starts.end(), a);
        int b = it == starts.end() ? ng : *it;
        for (int k = a; k < b && k < ng; ++k) if (g.glyphs[k] == wgDefault) m[i] = 1;
    }
    std::vector<WORD> gi(n);
    GetGlyphIndicesW(dc, s, n, gi.data(), GGI_MARK_NONEXISTING_GLYPHS);
    for (int i = 0; i < n; ++i) {
        bool sur = IS_SURROGATE_PAIR(s[i], i + 1 < n ? s[i + 1] : 0) || (i > 0 && IS_SURROGATE_PAIR(s[i - 1], s[i]));
        if (sur ? !f.trueType : (gi[i] == 0xFFFF && !ignorable(s[i]))) m[i] = 1;
    }
    // a glyph cluster is missing as a whole
    for (int i = 0; i < n; ++i) if (m[i]) for (int j = 0; j < n; ++j) if (g.clust[j] == g.clust[i]) m[j] = 1;
    // and so is a grapheme cluster (ScriptBreak fCharStop): a raster font puts e and U+0301 in separate glyph
    // clusters, and a mark drawn by another font than its base does not sit on it
    std::vector<SCRIPT_LOGATTR> la(n);
    if (SUCCEEDED(ScriptBreak(s, n, &g.sa, la.data()))) {
        for (int a = 0; a < n;) {
            int b = a + 1; while (b < n && !la[b].fCharStop) ++b;
            bool any = false; for (int k = a; k < b; ++k) any |= m[k] != 0;
            if (any) for (int k = a; k < b; ++k) m[k] = 1;
            a = b;
        }
    }
    return m;
}
static void place(HDC dc, Seg& g) {
    FontSlot& f = g_fonts[g.font];
    SelectObject(dc, f.hf);
    int ng = (int)g.glyphs.size();
    g.adv.assign(ng, 0); g.off.assign(ng, GOFFSET{});
    ABC abc = {};
    ScriptPlace(dc, &f.sc, g.glyphs.data(), ng, g.va.data(), &g.sa, g.adv.data(), g.off.data(), &abc);
    g.width = abc.abcA + (int)abc.abcB + abc.abcC;
}
static void segmentRun(HDC dc, const wchar_t* base, int cp0, int n, SCRIPT_ANALYSIS sa, size_t fi, std::vector<Seg>& out) {
    Seg g; g.cp0 = cp0;
    if (fi >= g_fonts.size()) {  // nothing has it: primary font, shaped as undefined script
        HRESULT hr = shapeWith(dc, 0, base + cp0, n, sa, g);
        if (FAILED(hr)) { sa.eScript = SCRIPT_UNDEFINED; shapeWith(dc, 0, base + cp0, n, sa, g); }
        g.cp0 = cp0; g.missing = n; place(dc, g); out.push_back(std::move(g)); return;
    }
    HRESULT hr = shapeWith(dc, (int)fi, base + cp0, n, sa, g);
    g.cp0 = cp0;
    if (FAILED(hr) || hr == USP_E_SCRIPT_NOT_IN_FONT) { segmentRun(dc, base, cp0, n, sa, fi + 1, out); return; }
    SelectObject(dc, g_fonts[fi].hf);
    std::vector<char> m = missingChars(dc, base + cp0, g, g_fonts[fi]);
    int nm = (int)std::count(m.begin(), m.end(), 1);
    if (nm == 0) { place(dc, g); out.push_back(std::move(g)); return; }
    if (nm == n) { segmentRun(dc, base, cp0, n, sa, fi + 1, out); return; }
    for (int i = 0; i < n;) {
        int j = i; while (j < n && m[j] == m[i]) ++j;
        segmentRun(dc, base, cp0 + i, j - i, sa, m[i] ? fi + 1 : fi, out);
        i = j;
    }
}
struct Laid { std::vector<Seg> segs; std::vector<int> vis2log; int width = 0; };
static void layoutPiece(HDC dc, const wchar_t* s, int n, Laid& L) {
    std::vector<SCRIPT_ITEM> items(n + 2); int ni = 0;
    SCRIPT_CONTROL ctl = {}; SCRIPT_STATE st = {};
    if (FAILED(ScriptItemize(s, n, n + 1, &ctl, &st, items.data(), &ni))) return;
    for (int i = 0; i < ni; ++i) {
        int a = items[i].iCharPos, b = items[i + 1].iCharPos;
        segmentRun(dc, s, a, b - a, items[i].a, 0, L.segs);
    }
}
static Laid layoutLine(HDC dc, const wchar_t* s, int n) {
    Laid L; layoutPiece(dc, s, n, L);
    std::vector<BYTE> lv; for (auto& g : L.segs) lv.push_back((BYTE)g.sa.s.uBidiLevel);
    L.vis2log.assign(L.segs.size(), 0);
    if (!L.segs.empty()) ScriptLayout((int)L.segs.size(), lv.data(), L.vis2log.data(), nullptr);
    for (auto& g : L.segs) L.width += g.width;
    return L;
}
static void drawLaid(HDC dc, const Laid& L, int x, int baseline) {
    UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    for (int v : L.vis2log) {
        const Seg& g = L.segs[v]; FontSlot& f = g_fonts[g.font];
        SelectObject(dc, f.hf);
        ScriptTextOut(dc, &f.sc, x, baseline, 0, nullptr, &g.sa, nullptr, 0, g.glyphs.data(), (int)g.glyphs.size(),
                      g.adv.data(), nullptr, g.off.data());
        x += g.width;
    }
    SetTextAlign(dc, oldAlign);
}
// Tabs: split the line at '\t', advance to the next multiple of tabStop.
static void drawManual(HDC dc, const wchar_t* s, int n, int x0, int baseline, int tabStop, std::wstring* report) {
    int x = x0;
    for (int a = 0; a <= n;) {
        int b = a; while (b < n && s[b] != L'\t') ++b;
        if (b > a) {
            Laid L = layoutLine(dc, s + a, b - a);
            drawLaid(dc, L, x, baseline); x += L.width;
            if (report) for (auto& g : L.segs) {
                wchar_t t[256];
                swprintf(t, 256, L" [%d+%d %ls script=%d lvl=%d%ls]", a + g.cp0, g.ncp, g_fonts[g.font].face.c_str(),
                         g.sa.eScript, g.sa.s.uBidiLevel, g.missing ? L" MISSING" : L"");
                *report += t;
            }
        }
        if (b >= n) break;
        x = x0 + ((x - x0) / tabStop + 1) * tabStop;
        a = b + 1;
    }
}
static const std::vector<std::wstring> FALLBACKS = {
    L"Courier", L"DejaVu Sans Mono", L"DejaVu Sans", L"WenQuanYi Micro Hei", L"Loma", L"Lohit Devanagari", L"Symbola"};

// ---------- modes ----------
static int CALLBACK enumProc(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM lp) {
    auto* s = (std::set<std::wstring>*)lp;
    wchar_t t[128]; swprintf(t, 128, L"%ls%ls", lf->lfFaceName, (type & TRUETYPE_FONTTYPE) ? L" (TT)" : L"");
    s->insert(t); return 1;
}
static void modeEnum() {
    HDC dc = CreateCompatibleDC(nullptr);
    LOGFONTW lf = {}; lf.lfCharSet = DEFAULT_CHARSET;
    std::set<std::wstring> faces;
    EnumFontFamiliesExW(dc, &lf, enumProc, (LPARAM)&faces, 0);
    say(L"%d faces\n", (int)faces.size());
    for (auto& f : faces) say(L"%ls\n", f.c_str());
    // what the mapper actually picks for each requested face
    for (auto& face : FALLBACKS) {
        HFONT f = makeFont(dc, face.c_str()); SelectObject(dc, f);
        wchar_t got[LF_FACESIZE] = {}; GetTextFaceW(dc, LF_FACESIZE, got);
        TEXTMETRICW tm; GetTextMetricsW(dc, &tm);
        say(L"request '%ls' -> '%ls' h=%d ave=%d pitchfam=%02x\n", face.c_str(), got, tm.tmHeight, tm.tmAveCharWidth, tm.tmPitchAndFamily);
        SelectObject(dc, GetStockObject(SYSTEM_FONT)); DeleteObject(f);
    }
    DeleteDC(dc);
}

static void modeDraw() {
    const int COLW = 330, ROWH = 24, TOP = 22;
    const wchar_t* heads[] = {L"(a) ExtTextOutW cells, Courier", L"(b) SSA+Out, Courier", L"(b2) SSA+Out, DejaVu Sans Mono", L"(c) Itemize/Shape manual fb"};
    Canvas cv(COLW * 4, TOP + ROWH * NLINES + 6);
    HDC dc = cv.dc;
    HFONT courier = makeFont(dc, L"Courier"), djm = makeFont(dc, L"DejaVu Sans Mono"), label = makeFont(dc, L"Tahoma", 8);
    initFonts(dc, FALLBACKS);
    SelectObject(dc, courier); TEXTMETRICW tm; GetTextMetricsW(dc, &tm);
    say(L"Courier: h=%d asc=%d ave=%d wgDefault=%u\n", tm.tmHeight, tm.tmAscent, tm.tmAveCharWidth, g_fonts[0].wgDefault);
    for (auto& f : g_fonts) say(L"  fallback slot '%ls' wgDefault=%u\n", f.face.c_str(), f.wgDefault);
    HPEN grey = CreatePen(PS_SOLID, 1, RGB(200, 200, 200)); SelectObject(dc, grey);
    for (int c = 0; c < 4; ++c) {
        SelectObject(dc, label); SetTextColor(dc, RGB(0, 0, 160));
        TextOutW(dc, c * COLW + 4, 3, heads[c], (int)wcslen(heads[c]));
        SetTextColor(dc, RGB(0, 0, 0));
        MoveToEx(dc, c * COLW, 0, nullptr); LineTo(dc, c * COLW, cv.h);
    }
    for (int i = 0; i < NLINES; ++i) {
        const wchar_t* s = LINES[i]; int n = (int)wcslen(s); int y = TOP + i * ROWH + 4;
        drawCells(dc, courier, 0 * COLW + 4, y, s, n);
        int w1 = 0, w2 = 0;
        HRESULT h1 = drawSSA(dc, courier, 1 * COLW + 4, y, s, n, &w1);
        HRESULT h2 = drawSSA(dc, djm, 2 * COLW + 4, y, s, n, &w2);
        std::wstring rep;
        drawManual(dc, s, n, 3 * COLW + 4, y + tm.tmAscent, 8 * tm.tmAveCharWidth, &rep);
        say(L"line %d: SSA(Courier) hr=%08lx w=%d | SSA(DejaVuSansMono) hr=%08lx w=%d | manual:%ls\n", i, h1, w1, h2, w2, rep.c_str());
    }
    say(L"save: %d\n", cv.save(L"draw.bmp"));
}

static double qpcFreq() { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return (double)f.QuadPart; }
static double nowUs() { static double fr = qpcFreq(); LARGE_INTEGER t; QueryPerformanceCounter(&t); return t.QuadPart * 1e6 / fr; }
template <class F> static double medianUs(int reps, F fn) {
    std::vector<double> v; v.reserve(reps);
    for (int i = 0; i < reps; ++i) { double a = nowUs(); fn(); v.push_back(nowUs() - a); }
    std::sort(v.begin(), v.end()); return v[v.size() / 2];
}
static std::wstring mixed100() {
    std::wstring m;
    for (int i = 0; m.size() < 100; i = (i + 1) % NLINES) { m += LINES[i]; m += L' '; }
    m.resize(100);
    if (IS_HIGH_SURROGATE(m[99])) m[99] = L'x';
    for (auto& c : m) if (c == L'\t') c = L' ';
    return m;
}
static void modeTime() {
    Canvas cv(2000, 40); HDC dc = cv.dc;
    HFONT courier = makeFont(dc, L"Courier"), djm = makeFont(dc, L"DejaVu Sans Mono");
    initFonts(dc, FALLBACKS);
    std::wstring ascii; while (ascii.size() < 100) ascii += L"The quick brown fox jumps over the lazy dog 0123456789. ";
    ascii.resize(100);
    std::wstring mix = mixed100();
    struct { const wchar_t* name; std::wstring* s; } cases[] = {{L"ascii100", &ascii}, {L"mixed100", &mix}};
    const int R = 1000;
    for (auto& c : cases) {
        const wchar_t* s = c.s->c_str(); int n = (int)c.s->size();
        for (int fi = 0; fi < 2; ++fi) {
            HFONT f = fi ? djm : courier; const wchar_t* fn = fi ? L"DejaVuSansMono" : L"Courier";
            double tE = medianUs(R, [&] { drawCells(dc, f, 0, 10, s, n); GdiFlush(); });
            double tA = medianUs(R, [&] { SCRIPT_STRING_ANALYSIS a; if (SUCCEEDED(ssaAnalyse(dc, f, s, n, &a))) ScriptStringFree(&a); });
            double tAO = medianUs(R, [&] { drawSSA(dc, f, 0, 10, s, n); GdiFlush(); });
            double tAnoFB = medianUs(R, [&] { SCRIPT_STRING_ANALYSIS a; if (SUCCEEDED(ssaAnalyse(dc, f, s, n, &a, SSA_GLYPHS | SSA_TAB))) { ScriptStringOut(a, 0, 10, 0, nullptr, 0, 0, FALSE); ScriptStringFree(&a);} GdiFlush(); });
            say(L"%ls %ls: ExtTextOutW=%.1fus  SSA=%.1fus  SSA+Out=%.1fus  SSA+Out(no FALLBACK/LINK)=%.1fus\n", c.name, fn, tE, tA, tAO, tAnoFB);
        }
        int tabStop = 8 * 8;
        double tM = medianUs(R, [&] { drawManual(dc, s, n, 0, 20, tabStop, nullptr); GdiFlush(); });
        say(L"%ls manual Itemize/Shape/Place/TextOut with fallback chain (caches warm): %.1fus\n", c.name, tM);
    }
}

static void modeLong() {
    Canvas cv(1400, 40); HDC dc = cv.dc;
    HFONT courier = makeFont(dc, L"Courier");
    std::wstring big; big.reserve(1 << 20);
    while (big.size() < (1u << 20)) big += L"The quick brown fox jumps over the lazy dog 0123456789. ";
    big.resize(1 << 20);
    int sizes[] = {200, 1 << 12, 1 << 15, 1 << 17, 1 << 18, 1 << 20};
    for (int n : sizes) {
        int reps = n <= 200 ? 1000 : n <= (1 << 15) ? 20 : 3;
        HRESULT hr = S_OK; int w = 0;
        double tA = medianUs(reps, [&] {
            SCRIPT_STRING_ANALYSIS a = nullptr;
            hr = ssaAnalyse(dc, courier, big.c_str() + 500000 % (big.size() - n + 1), n, &a);
            if (SUCCEEDED(hr)) { w = ScriptString_pSize(a)->cx; ScriptStringFree(&a); }
        });
        double tAO = medianUs(reps, [&] {
            SCRIPT_STRING_ANALYSIS a = nullptr;
            if (SUCCEEDED(ssaAnalyse(dc, courier, big.c_str(), n, &a))) { ScriptStringOut(a, 0, 10, 0, nullptr, 0, 0, FALSE); ScriptStringFree(&a); }
            GdiFlush();
        });
        double tE = medianUs(reps, [&] { drawCells(dc, courier, 0, 10, big.c_str(), n); GdiFlush(); });
        say(L"n=%d reps=%d SSA=%.1fus (hr=%08lx width=%d) SSA+Out=%.1fus ExtTextOutW(cells)=%.1fus\n", n, reps, tA, hr, w, tAO, tE);
    }
    // visible window only: 200 chars around position 500000 with the x origin taken from the column
    double tW = medianUs(1000, [&] {
        SCRIPT_STRING_ANALYSIS a = nullptr;
        if (SUCCEEDED(ssaAnalyse(dc, courier, big.c_str() + 500000, 200, &a))) { ScriptStringOut(a, 0, 10, 0, nullptr, 0, 0, FALSE); ScriptStringFree(&a); }
        GdiFlush();
    });
    say(L"window of 200 chars at offset 500000: SSA+Out=%.1fus\n", tW);
}

static void modeLimit() {
    Canvas cv(100, 40); HDC dc = cv.dc;
    HFONT courier = makeFont(dc, L"Courier");
    std::wstring big(70000, L'a');
    for (size_t i = 0; i < big.size(); i += 7) big[i] = L' ';
    SelectObject(dc, courier);
    for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) { big.clear(); while (big.size() < 70000) big += L"The quick brown fox jumps over the lazy dog 0123456789. "; big.resize(70000); }
    say(L"-- text: %ls\n", pass ? L"sentence with digits and punctuation" : L"'aaaaaa ' repeated");
    auto ok = [&](int n, int cg) {
        SCRIPT_STRING_ANALYSIS a = nullptr;
        HRESULT hr = ScriptStringAnalyse(dc, big.c_str(), n, cg, -1, SSA_GLYPHS | SSA_FALLBACK | SSA_LINK, 0, nullptr, nullptr, nullptr, nullptr, nullptr, &a);
        if (SUCCEEDED(hr)) ScriptStringFree(&a);
        return SUCCEEDED(hr);
    };
    // largest n that succeeds with cGlyphs = 1.5n+16, and with cGlyphs = n+16
    for (int mode = 0; mode < 2; ++mode) {
        int lo = 1, hi = 69000;
        while (lo + 1 < hi) { int mid = (lo + hi) / 2; if (ok(mid, mode ? mid + 16 : mid * 3 / 2 + 16)) lo = mid; else hi = mid; }
        say(L"cGlyphs=%ls: largest cString that succeeds = %d\n", mode ? L"n+16" : L"1.5n+16", lo);
    }
    say(L"n=1000 with cGlyphs=65536: %d; n=1000 cGlyphs=65535: %d; n=40000 cGlyphs=65535: %d; n=40000 cGlyphs=40016: %d\n",
        ok(1000, 65536), ok(1000, 65535), ok(40000, 65535), ok(40000, 40016));
    // ScriptItemize / ScriptShape limits on their own
    std::vector<SCRIPT_ITEM> items(70002); int ni = 0;
    HRESULT hr = ScriptItemize(big.c_str(), 70000, 70001, nullptr, nullptr, items.data(), &ni);
    say(L"ScriptItemize(70000 units) hr=%08lx items=%d\n", hr, ni);
    for (int n : {4758, 4759}) { int k = 0; ScriptItemize(big.c_str(), n, 70001, nullptr, nullptr, items.data(), &k); say(L"  items in first %d units: %d\n", n, k); }
    { int k = 0; ScriptItemize(big.c_str(), 56, 70001, nullptr, nullptr, items.data(), &k); say(L"  items in first 56 units:"); for (int i = 0; i < k; ++i) say(L" [%d s%d]", items[i].iCharPos, items[i].a.eScript); say(L"\n"); }
    SCRIPT_CACHE sc = nullptr; std::vector<WORD> g(140000), cl(70000); std::vector<SCRIPT_VISATTR> va(140000); int ng = 0;
    hr = ScriptShape(dc, &sc, big.c_str(), 70000, 140000, &items[0].a, g.data(), cl.data(), va.data(), &ng);
    say(L"ScriptShape(70000 units, max 140000 glyphs) hr=%08lx ng=%d\n", hr, ng);
    hr = ScriptShape(dc, &sc, big.c_str(), 30000, 65535, &items[0].a, g.data(), cl.data(), va.data(), &ng);
    say(L"ScriptShape(30000 units, max 65535 glyphs) hr=%08lx ng=%d\n", hr, ng);
    ScriptFreeCache(&sc);
    }
}

// Where does a combining mark land, per base font (SSA, no fallback needed for these fonts)?
static void modeMarks() {
    const wchar_t* faces[] = {L"DejaVu Sans Mono", L"DejaVu Sans", L"Noto Mono", L"FreeMono", L"Tahoma"};
    const int NF = 5;
    Canvas cv(300, 24 * NF + 30); HDC dc = cv.dc;
    const wchar_t* t = L"e\u0301 a\u0308 o\u0323|";
    wchar_t nfc[64] = {}; int nn = NormalizeString(NormalizationC, t, -1, nfc, 64);
    say(L"NormalizeString(NFC) -> %d units (incl. NUL):", nn); for (int i = 0; nfc[i]; ++i) say(L" %04X", (unsigned)nfc[i]); say(L"\n");
    for (int i = 0; i < NF; ++i) {
        HFONT f = makeFont(dc, faces[i]);
        int w = 0; drawSSA(dc, f, 4, 4 + i * 24, t, (int)wcslen(t), &w);
        drawSSA(dc, f, 150, 4 + i * 24, nfc, (int)wcslen(nfc));
        say(L"%ls: decomposed width=%d\n", faces[i], w);
    }
    cv.save(L"marks.bmp");
}

// Plain ExtTextOutW of the emoji in candidate emoji fonts (is colour or a bitmap-only font usable at all?)
static void modeEmoji() {
    const wchar_t* faces[] = {L"Noto Color Emoji", L"Symbola", L"DejaVu Sans"};
    Canvas cv(300, 110); HDC dc = cv.dc;
    const wchar_t* t = L"😀👍🏽🇩🇪 \u2400";
    for (int i = 0; i < 3; ++i) {
        for (int pt = 10; pt <= 20; pt += 10) {
            HFONT f = makeFont(dc, faces[i], pt); SelectObject(dc, f);
            wchar_t got[LF_FACESIZE] = {}; GetTextFaceW(dc, LF_FACESIZE, got);
            TEXTMETRICW tm; GetTextMetricsW(dc, &tm);
            WORD gi[16]; GetGlyphIndicesW(dc, t, (int)wcslen(t), gi, GGI_MARK_NONEXISTING_GLYPHS);
            BOOL ok = ExtTextOutW(dc, 4 + (pt == 20) * 140, 4 + i * 35, 0, nullptr, t, (int)wcslen(t), nullptr);
            say(L"%ls %dpt -> '%ls' h=%d TT=%d ExtTextOutW=%d\n", faces[i], pt, got, tm.tmHeight, (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0, ok);
        }
    }
    cv.save(L"emoji.bmp");
}

static void dumpCaret(HDC dc, HFONT f, const wchar_t* name, const wchar_t* s) {
    int n = (int)wcslen(s);
    say(L"\n== %ls (%d UTF-16 units):", name, n);
    for (int i = 0; i < n; ++i) say(L" %04X", (unsigned)s[i]);
    say(L"\n");
    SCRIPT_STRING_ANALYSIS a = nullptr;
    HRESULT hr = ssaAnalyse(dc, f, s, n, &a);  // without SSA_BREAK: is pLogAttr there at all?
    if (SUCCEEDED(hr)) { say(L"without SSA_BREAK: ScriptString_pLogAttr=%ls\n", ScriptString_pLogAttr(a) ? L"non-null" : L"NULL"); ScriptStringFree(&a); }
    hr = ssaAnalyse(dc, f, s, n, &a, SSA_FLAGS | SSA_BREAK);
    say(L"SSA(+SSA_BREAK) hr=%08lx width=%d\n", hr, SUCCEEDED(hr) ? ScriptString_pSize(a)->cx : -1);
    if (FAILED(hr)) return;
    const SCRIPT_LOGATTR* la = ScriptString_pLogAttr(a);
    std::vector<int> lw(n); ScriptStringGetLogicalWidths(a, lw.data());
    say(L"cp  unit  charStop wordStop white  CPtoX(lead) CPtoX(trail) logWidth\n");
    for (int i = 0; i < n; ++i) {
        int xl = -1, xt = -1;
        ScriptStringCPtoX(a, i, FALSE, &xl); ScriptStringCPtoX(a, i, TRUE, &xt);
        say(L"%2d  %04X  %d        %d        %d      %4d        %4d        %3d\n", i, (unsigned)s[i], la ? la[i].fCharStop : -1,
            la ? la[i].fWordStop : -1, la ? la[i].fWhiteSpace : -1, xl, xt, lw[i]);
    }
    int xe = -1; HRESULT he = ScriptStringCPtoX(a, n, FALSE, &xe); say(L"CPtoX(%d lead) hr=%08lx x=%d\n", n, he, xe);
    say(L"XtoCP:");
    int W = ScriptString_pSize(a)->cx;
    for (int x = -2; x <= W + 4; x += 3) { int cp = -9, tr = -9; ScriptStringXtoCP(a, x, &cp, &tr); say(L" %d->%d%ls", x, cp, tr ? L"T" : L""); }
    say(L"\n");
    ScriptStringFree(&a);
    // ScriptBreak per item
    std::vector<SCRIPT_ITEM> items(n + 2); int ni = 0; SCRIPT_CONTROL ctl = {}; SCRIPT_STATE st = {};
    ScriptItemize(s, n, n + 1, &ctl, &st, items.data(), &ni);
    say(L"ScriptItemize: %d items;", ni);
    std::vector<SCRIPT_LOGATTR> bl(n);
    for (int i = 0; i < ni; ++i) {
        int p = items[i].iCharPos, q = items[i + 1].iCharPos;
        say(L" [%d..%d) script=%d lvl=%d", p, q, items[i].a.eScript, items[i].a.s.uBidiLevel);
        ScriptBreak(s + p, q - p, &items[i].a, bl.data() + p);
    }
    say(L"\nScriptBreak fCharStop:");
    for (int i = 0; i < n; ++i) say(L" %d", bl[i].fCharStop);
    say(L"\n");
}
static void modeCaret() {
    Canvas cv(600, 40); HDC dc = cv.dc;
    HFONT djm = makeFont(dc, L"DejaVu Sans Mono");
    say(L"######## base font DejaVu Sans Mono\n");
    dumpCaret(dc, djm, L"emoji", L"Emoji: 😀👍🏽🇩🇪");
    dumpCaret(dc, djm, L"combining", L"Combining: e\u0301 a\u0308");
    dumpCaret(dc, djm, L"thai", L"สวัสดี");
    say(L"\n######## base font Courier\n");
    HFONT courier = makeFont(dc, L"Courier");
    dumpCaret(dc, courier, L"emoji", L"Emoji: 😀👍🏽🇩🇪");
    dumpCaret(dc, courier, L"combining", L"Combining: e\u0301 a\u0308");
    dumpCaret(dc, courier, L"hebrew", L"Hebrew: שלום");
    dumpCaret(dc, courier, L"arabic", L"ab مرحبا");
    dumpCaret(dc, courier, L"devanagari", L"नमस्ते");
    dumpCaret(dc, courier, L"thai", L"สวัสดี");
    dumpCaret(dc, courier, L"zwj-family", L"👨\u200d👩\u200d👧 x");
    dumpCaret(dc, courier, L"tab", L"Tab:\tafter");
}

// ---------- DirectWrite ----------
struct Src : IDWriteTextAnalysisSource {
    const wchar_t* t; UINT32 n;
    explicit Src(const wchar_t* s) : t(s), n((UINT32)wcslen(s)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** p) override {
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDWriteTextAnalysisSource)) { *p = this; return S_OK; }
        *p = nullptr; return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTextAtPosition(UINT32 pos, WCHAR const** text, UINT32* len) override {
        if (pos >= n) { *text = nullptr; *len = 0; } else { *text = t + pos; *len = n - pos; } return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTextBeforePosition(UINT32 pos, WCHAR const** text, UINT32* len) override {
        if (pos == 0 || pos > n) { *text = nullptr; *len = 0; } else { *text = t; *len = pos; } return S_OK;
    }
    DWRITE_READING_DIRECTION STDMETHODCALLTYPE GetParagraphReadingDirection() override { return DWRITE_READING_DIRECTION_LEFT_TO_RIGHT; }
    HRESULT STDMETHODCALLTYPE GetLocaleName(UINT32 pos, UINT32* len, WCHAR const** loc) override { *loc = L"en-us"; *len = n - pos; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetNumberSubstitution(UINT32 pos, UINT32* len, IDWriteNumberSubstitution** ns) override { *ns = nullptr; *len = n - pos; return S_OK; }
};
static std::wstring familyOf(IDWriteFont* f) {
    std::wstring r = L"?"; IDWriteFontFamily* fam = nullptr; IDWriteLocalizedStrings* names = nullptr;
    if (SUCCEEDED(f->GetFontFamily(&fam)) && SUCCEEDED(fam->GetFamilyNames(&names))) {
        wchar_t b[128] = {}; names->GetString(0, b, 128); r = b;
    }
    if (names) names->Release(); if (fam) fam->Release();
    return r;
}
static void modeDwrite() {
    HMODULE m = LoadLibraryW(L"dwrite.dll");
    say(L"dwrite.dll: %p\n", m);
    if (!m) return;
    typedef HRESULT(WINAPI * PFN)(DWRITE_FACTORY_TYPE, REFIID, IUnknown**);
    PFN create = (PFN)GetProcAddress(m, "DWriteCreateFactory");
    say(L"DWriteCreateFactory: %p\n", create);
    if (!create) return;
    IDWriteFactory2* f2 = nullptr;
    HRESULT hr = create(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory2), (IUnknown**)&f2);
    say(L"create IDWriteFactory2 hr=%08lx\n", hr);
    if (FAILED(hr)) return;
    IDWriteFontCollection* sys = nullptr;
    hr = f2->GetSystemFontCollection(&sys, FALSE);
    UINT32 nf = sys ? sys->GetFontFamilyCount() : 0;
    say(L"system collection hr=%08lx families=%u\n", hr, nf);
    for (UINT32 i = 0; i < nf; ++i) {
        IDWriteFontFamily* fam = nullptr; IDWriteLocalizedStrings* names = nullptr;
        if (SUCCEEDED(sys->GetFontFamily(i, &fam)) && SUCCEEDED(fam->GetFamilyNames(&names))) {
            wchar_t b[128] = {}; names->GetString(0, b, 128); say(L"  family: %ls\n", b);
        }
        if (names) names->Release(); if (fam) fam->Release();
    }
    IDWriteFontFallback* fb = nullptr;
    hr = f2->GetSystemFontFallback(&fb);
    say(L"GetSystemFontFallback hr=%08lx\n", hr);
    if (FAILED(hr) || !fb) return;
    auto mapAll = [&](IDWriteFontFallback* fbk, const wchar_t* baseFamily) {
        say(L"-- base family '%ls'\n", baseFamily);
        for (int i = 0; i < NLINES; ++i) {
            Src src(LINES[i]);
            say(L"line %d:", i);
            for (UINT32 pos = 0; pos < src.n;) {
                UINT32 ml = 0; IDWriteFont* font = nullptr; FLOAT scale = 0;
                hr = fbk->MapCharacters(&src, pos, src.n - pos, nullptr, baseFamily, DWRITE_FONT_WEIGHT_NORMAL,
                                        DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, &ml, &font, &scale);
                if (FAILED(hr) || ml == 0) { say(L" hr=%08lx ml=%u", hr, ml); break; }
                say(L" [%u+%u %ls]", pos, ml, font ? familyOf(font).c_str() : L"(none)");
                if (font) font->Release();
                pos += ml;
            }
            say(L"\n");
        }
    };
    mapAll(fb, L"Courier");
    mapAll(fb, L"DejaVu Sans Mono");
    // a fallback of our own: IDWriteFontFallbackBuilder with explicit ranges
    IDWriteFontFallbackBuilder* b = nullptr;
    hr = f2->CreateFontFallbackBuilder(&b);
    say(L"CreateFontFallbackBuilder hr=%08lx\n", hr);
    if (SUCCEEDED(hr)) {
        struct { UINT32 a, z; const wchar_t* fam; } maps[] = {
            {0x0000, 0x058F, L"DejaVu Sans Mono"}, {0x0590, 0x06FF, L"DejaVu Sans"}, {0x0900, 0x097F, L"Lohit Devanagari"},
            {0x0E00, 0x0E7F, L"Loma"}, {0x2400, 0x243F, L"Symbola"}, {0x3000, 0x9FFF, L"WenQuanYi Micro Hei"},
            {0xFF00, 0xFFEF, L"WenQuanYi Micro Hei"}, {0x1F000, 0x1FAFF, L"Symbola"}};
        for (auto& m : maps) {
            DWRITE_UNICODE_RANGE r = {m.a, m.z}; const WCHAR* fam = m.fam;
            HRESULT h = b->AddMapping(&r, 1, &fam, 1, nullptr, nullptr, nullptr, 1.0f);
            if (FAILED(h)) say(L"AddMapping %ls hr=%08lx\n", m.fam, h);
        }
        IDWriteFontFallback* mine = nullptr;
        hr = b->CreateFontFallback(&mine);
        say(L"CreateFontFallback hr=%08lx\n", hr);
        if (SUCCEEDED(hr)) { mapAll(mine, L"DejaVu Sans Mono"); mine->Release(); }
        b->Release();
    }
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmd, int) {
    std::wstring mode = cmd && *cmd ? cmd : L"draw";
    std::wstring outName = L"out_" + mode + L".txt";
    g_out = _wfopen(outName.c_str(), L"wb");
    if (!g_out) return 2;
    if (mode == L"enum") modeEnum();
    else if (mode == L"draw") modeDraw();
    else if (mode == L"time") modeTime();
    else if (mode == L"long") modeLong();
    else if (mode == L"caret") modeCaret();
    else if (mode == L"limit") modeLimit();
    else if (mode == L"marks") modeMarks();
    else if (mode == L"emoji") modeEmoji();
    else if (mode == L"dwrite") modeDwrite();
    else say(L"unknown mode\n");
    fclose(g_out);
    return 0;
}
