#include "window/Outlines.h"

using platform::Point;

namespace outlines {

const std::vector<Point>& ClockWindow() {
    static const std::vector<Point> outline{{0, 2},     {0, 167}, {3, 170}, {227, 170},
                                            {230, 167}, {230, 2}, {228, 0}, {2, 0}};
    return outline;
}

const std::vector<Point>& CloseButton() {
    static const std::vector<Point> outline{{0, 0}, {51, 51}, {51, 0}};
    return outline;
}

const std::vector<Point>& CallOutWindow() {
    static const std::vector<Point> outline{
        {0, 7},     {0, 17},    {2, 18},    {6, 18},    {6, 206},   {1, 206},   {0, 207},   {0, 217},
        {1, 218},   {6, 218},   {6, 223},   {18, 223},  {18, 218},  {190, 218}, {190, 223}, {202, 223},
        {202, 218}, {207, 218}, {208, 217}, {208, 207}, {207, 206}, {202, 206}, {202, 18},  {207, 17},
        {208, 16},  {208, 7},   {207, 6},   {202, 6},   {202, 1},   {201, 0},   {191, 0},   {190, 1},
        {190, 6},   {18, 6},    {18, 1},    {17, 0},    {7, 0},     {6, 1},     {6, 6},     {1, 6}};
    return outline;
}

void ShapeClockWindow(platform::Form& window) {
    window.Move(0, 0, 230, 170);
    window.SetRegion(ClockWindow());
}

void ShapeCloseButton(platform::PictureBox& area) { area.SetRegion(CloseButton()); }

void ShapeCallOutWindow(platform::Form& window) { window.SetRegion(CallOutWindow()); }

}  // namespace outlines
