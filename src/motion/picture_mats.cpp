#include "motion/picture_mats.h"

#include <algorithm>
#include <vector>

#include <opencv2/imgproc.hpp>

namespace morvel {

cv::Mat FittedPicture(const Image& picture, cv::Size result) {
    const cv::Mat whole(picture.height(), picture.width(), CV_8UC3,
                        const_cast<std::uint8_t*>(picture.data()), picture.stride());
    if (picture.width() >= result.width && picture.height() >= result.height)
        return whole(cv::Rect(0, picture.height() - result.height, result.width, result.height));
    cv::Mat stretched;
    cv::resize(whole, stretched, result, 0, 0, cv::INTER_LINEAR);
    return stretched;
}

cv::Mat FittedMask(const GreyImage& mask, cv::Size result) {
    const cv::Mat whole(mask.height(), mask.width(), CV_8U, const_cast<std::uint8_t*>(mask.data()),
                        mask.stride());
    if (mask.width() >= result.width && mask.height() >= result.height)
        return whole(cv::Rect(0, mask.height() - result.height, result.width, result.height));
    cv::Mat stretched;
    cv::resize(whole, stretched, result, 0, 0, cv::INTER_LINEAR);
    return stretched;
}

cv::Mat MotionPicture(const cv::Mat& take, const cv::Mat* plate, int threshold, cv::Size work) {
    const auto scaled = [&](const cv::Mat& picture) {
        if (picture.size() == work) return picture;
        cv::Mat small;
        // Down to half, bilinear is several times faster than area averaging and the motion
        // found is as good; further down it would skip pixels.
        const bool mild = work.width * 2 >= picture.cols;
        cv::resize(picture, small, work, 0, 0, mild ? cv::INTER_LINEAR : cv::INTER_AREA);
        return small;
    };
    const cv::Mat small = scaled(take);
    cv::Mat grey;
    cv::cvtColor(small, grey, cv::COLOR_RGB2GRAY);
    if (!plate) return grey;
    cv::Mat difference;
    cv::absdiff(small, scaled(*plate), difference);
    std::vector<cv::Mat> parts;
    cv::split(difference, parts);
    const cv::Mat largest = cv::max(cv::max(parts[0], parts[1]), parts[2]);
    cv::Mat foreground(work, CV_8U, cv::Scalar(0));
    grey.copyTo(foreground, largest > threshold);
    return foreground;
}

MarkedPart MarkedPartOf(const cv::Mat& mask) {
    // The commonest value from every fourth row and column is plenty.
    int histogram[256] = {};
    for (int y = 0; y < mask.rows; y += 4) {
        const std::uint8_t* p = mask.ptr<std::uint8_t>(y);
        for (int x = 0; x < mask.cols; x += 4) ++histogram[p[x]];
    }
    MarkedPart part;
    part.common =
        static_cast<std::uint8_t>(std::max_element(histogram, histogram + 256) - histogram);
    int left = mask.cols, right = -1, top = mask.rows, bottom = -1;
    for (int y = 0; y < mask.rows; ++y) {
        const std::uint8_t* p = mask.ptr<std::uint8_t>(y);
        int first = 0;
        while (first < mask.cols && p[first] == part.common) ++first;
        if (first == mask.cols) continue;
        int last = mask.cols - 1;
        while (p[last] == part.common) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = y;
    }
    if (right >= 0) part.box = cv::Rect(left, top, right - left + 1, bottom - top + 1);
    return part;
}

std::optional<GreyImage> GreyMaskImage(const cv::Mat& values) {
    auto out = GreyImage::create(values.cols, values.rows);
    if (!out) return std::nullopt;
    cv::Mat target(out->height(), out->width(), CV_8U, out->data(), out->stride());
    values.copyTo(target);
    return out;
}

}  // namespace morvel
