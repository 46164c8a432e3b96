// Draws the Tappolo icon (a key cap sending out sound waves) and writes it as a Windows icon
// file:
//
//   tappolo_icon <file.ico>
//
// Images, in this order: 16x16 32-bit, 32x32 16-colour, 48x48 32-bit, 256x256 32-bit. The tray
// and the About dialog ask for the 32x32 16-colour image; Explorer and the taskbar pick the
// others. The 16-colour image is not a reduction of the true-colour one: every shape carries its
// own palette colour and edges are decided by majority, so it stays crisp instead of dithered.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double R, G, B, A;
};

// The standard 16-colour palette of Windows, in its usual order.
constexpr std::array<std::array<std::uint8_t, 3>, 16> Vga = {{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};
enum : int { Black = 0, Green = 2, Silver = 7, Gray = 8 };

// A shape in the unit square (y grows downwards): inside when the distance is <= 0.
struct Layer {
    std::function<double(double, double)> Distance;
    std::function<Rgba(double, double)> Colour;
    int PaletteIndex;
};

double RoundedBox(double x, double y, double left, double top, double right, double bottom,
                  double radius) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
    const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// A stroke of the given width along a circular arc from angle a0 to a1 (radians, measured
// clockwise from the +x axis because y grows downwards), with round ends.
double Arc(double x, double y, double cx, double cy, double r, double a0, double a1, double width) {
    const double a = std::atan2(y - cy, x - cx);
    if (a >= a0 && a <= a1)
        return std::abs(std::hypot(x - cx, y - cy) - r) - width / 2;
    const double d0 = std::hypot(x - cx - r * std::cos(a0), y - cy - r * std::sin(a0));
    const double d1 = std::hypot(x - cx - r * std::cos(a1), y - cy - r * std::sin(a1));
    return std::min(d0, d1) - width / 2;
}

Rgba Hex(std::uint32_t rgb) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, 1};
}

Rgba Mix(Rgba a, Rgba b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t,
            a.A + (b.A - a.A) * t};
}

// Bottom to top. Small images get fewer, thicker waves and no dark rim, which at that size
// would close the gaps between the waves.
std::vector<Layer> Scene(int size) {
    std::vector<Layer> layers;
    // The key cap: a dark outline, the skirt, the dished top face, a letter on it.
    layers.push_back(
        {[](double x, double y) { return RoundedBox(x, y, 0.03, 0.39, 0.63, 0.97, 0.12); },
         [](double, double) { return Hex(0x1E2329); }, Black});
    layers.push_back(
        {[](double x, double y) { return RoundedBox(x, y, 0.065, 0.425, 0.595, 0.935, 0.09); },
         [](double, double y) { return Mix(Hex(0x7C8794), Hex(0x4D5661), (y - 0.43) / 0.5); },
         Gray});
    layers.push_back(
        {[](double x, double y) { return RoundedBox(x, y, 0.13, 0.45, 0.53, 0.83, 0.07); },
         [](double, double y) { return Mix(Hex(0xF4F6F8), Hex(0xC9D0D8), (y - 0.45) / 0.38); },
         Silver});
    layers.push_back({[](double x, double y) {
                          const double bar = RoundedBox(x, y, 0.215, 0.53, 0.445, 0.60, 0.01);
                          const double stem = RoundedBox(x, y, 0.295, 0.53, 0.365, 0.76, 0.01);
                          return std::min(bar, stem);
                      },
                      [](double, double) { return Hex(0x1F7A36); }, Green});
    // Waves leaving the cap's upper right corner, each a little lighter than the last.
    const double cx = 0.50, cy = 0.50;
    const double a0 = -std::numbers::pi / 2 - 0.05, a1 = 0.05;
    struct Wave {
        double Radius;
        std::uint32_t Colour;
    };
    const std::vector<Wave> waves =
        size <= 16 ? std::vector<Wave>{{0.24, 0x1FA84A}, {0.43, 0x34C25C}}
                   : std::vector<Wave>{{0.20, 0x1FA84A}, {0.325, 0x34C25C}, {0.45, 0x55D877}};
    const double stroke = size <= 16 ? 0.12 : size <= 32 ? 0.075 : 0.06;
    const bool rim = size > 32;
    for (const Wave& w : waves) {
        const double r = w.Radius;
        if (rim) // keeps the waves visible on a light background as well as a dark one
            layers.push_back(
                {[=](double x, double y) { return Arc(x, y, cx, cy, r, a0, a1, stroke * 1.6); },
                 [](double, double) { return Hex(0x0F4A22); }, Green});
        layers.push_back({[=](double x, double y) { return Arc(x, y, cx, cy, r, a0, a1, stroke); },
                          [c = w.Colour](double, double) { return Hex(c); }, Green});
    }
    return layers;
}

struct Image {
    int Size;
    std::vector<Rgba> Pixels; // straight alpha, for the true-colour images
    std::vector<int> Indices; // palette index or -1 (transparent), for 16 colours
};

Image Render(int size) {
    const std::vector<Layer> layers = Scene(size);
    constexpr int Sub = 6; // sub-samples per axis
    Image img{size, std::vector<Rgba>(size * size), std::vector<int>(size * size, -1)};
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            std::array<int, 17> votes{}; // 16 palette colours and "transparent"
            for (int sy = 0; sy < Sub; ++sy) {
                for (int sx = 0; sx < Sub; ++sx) {
                    const double x = (px + (sx + 0.5) / Sub) / size;
                    const double y = (py + (sy + 0.5) / Sub) / size;
                    int top = -1;
                    for (int i = static_cast<int>(layers.size()) - 1; i >= 0 && top < 0; --i)
                        if (layers[i].Distance(x, y) <= 0)
                            top = i;
                    if (top < 0) {
                        ++votes[16];
                        continue;
                    }
                    const Rgba c = layers[top].Colour(x, y);
                    r += c.R;
                    g += c.G;
                    b += c.B;
                    a += 1;
                    ++votes[layers[top].PaletteIndex];
                }
            }
            Rgba& out = img.Pixels[py * size + px];
            out = a > 0 ? Rgba{r / a, g / a, b / a, a / (Sub * Sub)} : Rgba{0, 0, 0, 0};
            const int winner =
                static_cast<int>(std::max_element(votes.begin(), votes.end()) - votes.begin());
            img.Indices[py * size + px] = winner == 16 ? -1 : winner;
        }
    }
    return img;
}

void Put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The AND mask: one bit per pixel, set where the pixel is transparent; rows bottom-up, each
// padded to four bytes.
void PutMask(std::string& out, int size, const std::function<bool(int, int)>& transparent) {
    const int rowBytes = ((size + 31) / 32) * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < size; ++x)
            if (transparent(x, y))
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out += row;
    }
}

void PutInfoHeader(std::string& out, int size, int bits, std::uint32_t imageBytes, int colours) {
    Put(out, 40, 4);
    Put(out, size, 4);
    Put(out, size * 2, 4); // an icon's DIB counts the colour bitmap and the mask
    Put(out, 1, 2);
    Put(out, bits, 2);
    Put(out, 0, 4); // BI_RGB
    Put(out, imageBytes, 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, colours, 4);
    Put(out, 0, 4);
}

std::string TrueColourDib(const Image& img) {
    const int n = img.Size;
    const int maskBytes = ((n + 31) / 32) * 4 * n;
    std::string out;
    PutInfoHeader(out, n, 32, static_cast<std::uint32_t>(n * n * 4 + maskBytes), 0);
    auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; ++x) {
            const Rgba& p = img.Pixels[y * n + x];
            out.push_back(static_cast<char>(byte(p.B)));
            out.push_back(static_cast<char>(byte(p.G)));
            out.push_back(static_cast<char>(byte(p.R)));
            out.push_back(static_cast<char>(byte(p.A)));
        }
    }
    PutMask(out, n, [&](int x, int y) { return byte(img.Pixels[y * n + x].A) == 0; });
    return out;
}

std::string SixteenColourDib(const Image& img) {
    const int n = img.Size;
    const int rowBytes = ((n * 4 + 31) / 32) * 4;
    const int maskBytes = ((n + 31) / 32) * 4 * n;
    std::string out;
    PutInfoHeader(out, n, 4, static_cast<std::uint32_t>(rowBytes * n + maskBytes), 16);
    for (const auto& c : Vga) {
        out.push_back(static_cast<char>(c[2]));
        out.push_back(static_cast<char>(c[1]));
        out.push_back(static_cast<char>(c[0]));
        out.push_back(0);
    }
    for (int y = n - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < n; ++x) {
            // Transparent pixels are black under a set mask bit, which the screen leaves alone.
            const int index = std::max(img.Indices[y * n + x], 0);
            row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? index : index << 4));
        }
        out += row;
    }
    PutMask(out, n, [&](int x, int y) { return img.Indices[y * n + x] < 0; });
    return out;
}

struct Entry {
    int Size;
    int Bits;
    std::string Dib;
};

std::string IconFile(const std::vector<Entry>& entries) {
    std::string out;
    Put(out, 0, 2);
    Put(out, 1, 2); // icon, not cursor
    Put(out, static_cast<std::uint32_t>(entries.size()), 2);
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        out.push_back(static_cast<char>(e.Size >= 256 ? 0 : e.Size)); // 0 stands for 256
        out.push_back(static_cast<char>(e.Size >= 256 ? 0 : e.Size));
        out.push_back(static_cast<char>(e.Bits == 4 ? 16 : 0));
        out.push_back(0);
        Put(out, 1, 2);
        Put(out, e.Bits, 2);
        Put(out, static_cast<std::uint32_t>(e.Dib.size()), 4);
        Put(out, offset, 4);
        offset += static_cast<std::uint32_t>(e.Dib.size());
    }
    for (const Entry& e : entries)
        out += e.Dib;
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tappolo_icon <file.ico>\n";
        return 2;
    }
    const std::vector<Entry> entries = {
        {16, 32, TrueColourDib(Render(16))},
        {32, 4, SixteenColourDib(Render(32))},
        {48, 32, TrueColourDib(Render(48))},
        {256, 32, TrueColourDib(Render(256))},
    };
    const std::string bytes = IconFile(entries);
    std::ofstream f(argv[1], std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) {
        std::cerr << "tappolo_icon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
