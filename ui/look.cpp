#include "ui/look.h"

namespace landuo::ui::look {

namespace {

// start + step * (end - start) / steps, truncated toward zero, per channel.
std::uint8_t Blend(std::uint8_t start, std::uint8_t end, int step, int steps) {
    return static_cast<std::uint8_t>(start + step * (int{end} - int{start}) / steps);
}

Colour BlendColours(Colour start, Colour end, int step, int steps) {
    return Rgb(Blend(RedOf(start), RedOf(end), step, steps), Blend(GreenOf(start), GreenOf(end), step, steps),
               Blend(BlueOf(start), BlueOf(end), step, steps));
}

}  // namespace

Colour GradientRow(int y, int rows, const std::array<Colour, 3>& colours) {
    const int segment = rows / 2;
    if (segment <= 0) {
        return colours[0];
    }
    const int index = y / segment;
    if (index >= 2) {
        return colours[2];
    }
    return BlendColours(colours[index], colours[index + 1], y % segment, segment);
}

Colour FaceRow(int row, int rows, Colour top, Colour bottom) {
    return rows <= 1 ? top : BlendColours(top, bottom, row, rows - 1);
}

const std::array<NamedColour, 32> kPalette{{
    {Rgb(0, 0, 0), "黑色"},          {Rgb(64, 64, 64), "深灰色"},     {Rgb(128, 128, 128), "灰色"},
    {Rgb(192, 192, 192), "银色"},    {Rgb(255, 255, 255), "白色"},    {Rgb(128, 0, 0), "栗色"},
    {Rgb(255, 0, 0), "红色"},        {Rgb(255, 128, 0), "橙色"},      {Rgb(255, 215, 0), "金色"},
    {Rgb(255, 255, 0), "黄色"},      {Rgb(128, 128, 0), "橄榄色"},    {Rgb(154, 205, 50), "黄绿色"},
    {Rgb(0, 128, 0), "绿色"},        {Rgb(0, 255, 0), "酸橙色"},      {Rgb(0, 255, 255), "青色"},
    {Rgb(0, 128, 128), "蓝绿色"},    {Rgb(135, 206, 235), "天蓝色"},  {Rgb(0, 0, 255), "蓝色"},
    {Rgb(0, 0, 128), "海军蓝"},      {Rgb(75, 0, 130), "靛青色"},     {Rgb(128, 0, 128), "紫色"},
    {Rgb(255, 0, 255), "洋红色"},    {Rgb(255, 192, 203), "粉红色"},  {Rgb(165, 42, 42), "棕色"},
    {Rgb(210, 105, 30), "巧克力色"}, {Rgb(245, 245, 220), "米色"},    {Rgb(240, 230, 140), "卡其色"},
    {Rgb(255, 127, 80), "珊瑚色"},   {Rgb(255, 99, 71), "番茄红"},    {Rgb(230, 230, 250), "薰衣草色"},
    {Rgb(152, 255, 152), "薄荷绿"},  {Rgb(148, 0, 211), "深紫罗兰"},
}};

}  // namespace landuo::ui::look
