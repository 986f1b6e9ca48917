#pragma once

// A made-up stop-motion shot for the carry's tests and benchmark: a textured still background,
// a textured puppet that moves and turns, and a thin rod (the rig) from the top of the picture
// to the puppet that moves and bends; take 2 is the background alone, and the rod's true mask
// is known in every frame. Sizes scale with the width (the motions are given for 1920 pixels).

#include <cmath>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "platform/grey_image.h"
#include "platform/image.h"

namespace morvel::testing {

struct FilmFrame {
    Image take1;    // background, puppet and rig
    Image take2;    // the background alone
    cv::Mat truth;  // the rig: 255 on it, 0 elsewhere
};

// Coloured texture with detail at several scales, as in real pictures: noise at cell, 4 x cell
// and 16 x cell pixels scaled up and mixed, plus fine grain.
inline cv::Mat FilmTexture(cv::Size size, int cell, unsigned seed) {
    cv::RNG rng(seed);
    cv::Mat sum(size, CV_32FC3, cv::Scalar::all(0));
    for (const auto& [scale, weight] :
         {std::pair{1, 0.35}, std::pair{4, 0.35}, std::pair{16, 0.3}}) {
        const int side = cell * scale;
        cv::Mat coarse(std::max(2, size.height / side), std::max(2, size.width / side), CV_32FC3);
        rng.fill(coarse, cv::RNG::UNIFORM, 20, 235);
        cv::Mat layer;
        cv::resize(coarse, layer, size, 0, 0, cv::INTER_CUBIC);
        sum += layer * weight;
    }
    cv::Mat grain(size, CV_32FC3);
    rng.fill(grain, cv::RNG::NORMAL, 0, 8);
    sum += grain;
    cv::Mat texture;
    sum.convertTo(texture, CV_8UC3);
    return texture;
}

inline Image ImageOf(const cv::Mat& rgb) {
    Image out = *Image::create(rgb.cols, rgb.rows);
    cv::Mat target(out.height(), out.width(), CV_8UC3, out.data(), out.stride());
    rgb.copyTo(target);
    return out;
}

// The grey mask picture of a 0/255 matrix.
inline Image MaskImageOf(const cv::Mat& values) {
    cv::Mat rgb;
    cv::cvtColor(values, rgb, cv::COLOR_GRAY2RGB);
    return ImageOf(rgb);
}

// The same as a grey mask.
inline GreyImage GreyMaskOf(const cv::Mat& values) {
    auto out = GreyImage::create(values.cols, values.rows);
    cv::Mat target(out->height(), out->width(), CV_8U, out->data(), out->stride());
    values.copyTo(target);
    return std::move(*out);
}

inline cv::Mat MaskValues(const GreyImage& mask) {
    return cv::Mat(mask.height(), mask.width(), CV_8U, const_cast<std::uint8_t*>(mask.data()),
                   mask.stride())
        .clone();
}

inline cv::Mat MaskValues(const Image& mask) {
    cv::Mat wrapped(mask.height(), mask.width(), CV_8UC3, const_cast<std::uint8_t*>(mask.data()),
                    mask.stride());
    cv::Mat values;
    cv::extractChannel(wrapped, values, 2);
    return values;
}

// Frames 0 .. count - 1 of the shot at width x height.
inline std::vector<FilmFrame> MakeSyntheticFilm(int width, int height, int count) {
    const double k = width / 1920.0;
    const cv::Size size(width, height);
    const cv::Mat background = FilmTexture(size, std::max(4, static_cast<int>(24 * k)), 7);
    const int puppetSide = static_cast<int>(360 * k);
    const cv::Mat puppetSkin =
        FilmTexture({puppetSide, puppetSide}, std::max(3, static_cast<int>(12 * k)), 11);
    cv::Mat puppetShape(puppetSide, puppetSide, CV_8U, cv::Scalar(0));
    const cv::Point centre(puppetSide / 2, puppetSide / 2);
    cv::ellipse(puppetShape, centre, cv::Size(puppetSide / 5, puppetSide / 3), 0, 0, 360, 255, -1,
                cv::LINE_AA);
    cv::circle(puppetShape, {centre.x, centre.y - puppetSide * 2 / 5}, puppetSide / 9, 255, -1,
               cv::LINE_AA);
    const int rodWidth = std::max(3, static_cast<int>(std::lround(16 * k)));

    std::vector<FilmFrame> film;
    double x = 0.35 * width;
    double y = 0.55 * height;
    double angle = 0;
    for (int t = 0; t < count; ++t) {
        // From a few pixels to 40 per frame (at 1920 wide), turning a few degrees.
        x += k * (4 + 24 * std::sin(0.7 * t) * std::sin(0.7 * t));
        y += k * 12 * std::cos(0.9 * t);
        angle += 3 * std::sin(0.5 * t + 0.3);
        cv::Mat turn = cv::getRotationMatrix2D(cv::Point2f(centre), angle, 1.0);
        turn.at<double>(0, 2) += x - centre.x;
        turn.at<double>(1, 2) += y - centre.y;
        cv::Mat skin;
        cv::Mat shape;
        cv::warpAffine(puppetSkin, skin, turn, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT);
        cv::warpAffine(puppetShape, shape, turn, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT);
        cv::Mat picture = background.clone();
        skin.copyTo(picture, shape > 127);

        // The rod: a bending curve from above the picture to the puppet's shoulder.
        const double shoulderX = centre.x + puppetSide * 0.12;
        const double shoulderY = centre.y - puppetSide * 0.2;
        const cv::Point2d grip(turn.at<double>(0, 0) * shoulderX +
                                   turn.at<double>(0, 1) * shoulderY + turn.at<double>(0, 2),
                               turn.at<double>(1, 0) * shoulderX +
                                   turn.at<double>(1, 1) * shoulderY + turn.at<double>(1, 2));
        const cv::Point2d top(grip.x + 220 * k + 25 * k * std::sin(0.4 * t), -20 * k);
        const double bend = 40 * k * std::sin(0.6 * t + 1);
        const cv::Point2d control((grip.x + top.x) / 2 + bend, (grip.y + top.y) / 2);
        std::vector<cv::Point> curve;
        constexpr int kShift = 4;  // sub-pixel places of the drawn points
        for (int i = 0; i <= 64; ++i) {
            const double s = i / 64.0;
            const cv::Point2d p =
                (1 - s) * (1 - s) * top + 2 * (1 - s) * s * control + s * s * grip;
            curve.emplace_back(static_cast<int>(std::lround(p.x * (1 << kShift))),
                               static_cast<int>(std::lround(p.y * (1 << kShift))));
        }
        cv::Mat truth(size, CV_8U, cv::Scalar(0));
        cv::polylines(truth, curve, false, 255, rodWidth, cv::LINE_8, kShift);
        // A metal rod: dark, with a lighter stripe along it.
        picture.setTo(cv::Scalar(60, 62, 70), truth);
        cv::Mat stripe(size, CV_8U, cv::Scalar(0));
        cv::polylines(stripe, curve, false, 255, std::max(1, rodWidth / 3), cv::LINE_8, kShift);
        picture.setTo(cv::Scalar(150, 152, 160), stripe);
        film.push_back({ImageOf(picture), ImageOf(background), truth});
    }
    return film;
}

}  // namespace morvel::testing
