#include "motion/carry_mask.h"

#include <algorithm>
#include <cmath>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/video/tracking.hpp>

#include "motion/picture_mats.h"

namespace morvel {

namespace {

// The size the motion of a part of size part is found at: scaled down to about workPixels.
cv::Size workSize(cv::Size part, int workPixels) {
    const double pixels = static_cast<double>(part.area());
    const double scale = std::min(1.0, std::sqrt(std::max(workPixels, 1) / pixels));
    return {std::max(8, static_cast<int>(std::lround(part.width * scale))),
            std::max(8, static_cast<int>(std::lround(part.height * scale)))};
}

// Where the motion is looked for: the marked part of the previous mask widened by the most a
// rig moves from one frame to the next, so that the mask cannot leave it.
cv::Rect searchArea(const cv::Rect& marked, cv::Size result) {
    const int margin = std::max(48, (result.width + result.height) / 40);
    const cv::Rect wide(marked.x - margin, marked.y - margin, marked.width + 2 * margin,
                        marked.height + 2 * margin);
    return wide & cv::Rect({0, 0}, result);
}

// The flow (work size, over area) from this frame to the previous one: for each result pixel
// of area, where it lies in the previous mask.
void flowMaps(const cv::Mat& flow, const cv::Rect& area, cv::Mat& mapX, cv::Mat& mapY) {
    cv::Mat big;
    cv::resize(flow, big, area.size(), 0, 0, cv::INTER_LINEAR);
    const float scaleX = static_cast<float>(area.width) / flow.cols;
    const float scaleY = static_cast<float>(area.height) / flow.rows;
    mapX.create(area.size(), CV_32F);
    mapY.create(area.size(), CV_32F);
    for (int y = 0; y < area.height; ++y) {
        const cv::Vec2f* f = big.ptr<cv::Vec2f>(y);
        float* mx = mapX.ptr<float>(y);
        float* my = mapY.ptr<float>(y);
        const float py = static_cast<float>(area.y + y);
        for (int x = 0; x < area.width; ++x) {
            mx[x] = static_cast<float>(area.x + x) + f[x][0] * scaleX;
            my[x] = py + f[x][1] * scaleY;
        }
    }
}

// DIS tuned on made-up shots of thin rigs: the medium preset refined down to full work size
// (its own finest scale stops at half), without the variational refinement, which smooths a
// thin rig into the still background around it.
cv::Mat flowBetween(const cv::Mat& previous, const cv::Mat& current) {
    const cv::Ptr<cv::DISOpticalFlow> dis =
        cv::DISOpticalFlow::create(cv::DISOpticalFlow::PRESET_MEDIUM);
    dis->setFinestScale(0);
    dis->setVariationalRefinementIterations(0);
    // A rig that leaves the picture: patches at the edge need picture beyond it to stay put.
    constexpr int kPad = 16;
    cv::Mat a;
    cv::Mat b;
    cv::copyMakeBorder(previous, a, kPad, kPad, kPad, kPad, cv::BORDER_REPLICATE);
    cv::copyMakeBorder(current, b, kPad, kPad, kPad, kPad, cv::BORDER_REPLICATE);
    cv::Mat flow;
    // From this frame to the previous one: each result pixel looks up where it came from.
    dis->calc(b, a, flow);
    return flow(cv::Rect(kPad, kPad, current.cols, current.rows)).clone();
}

// Black wherever this frame's layers differ by at most threshold, widened by widen pixels.
void limitToDifference(const cv::Mat& layer1, const cv::Mat& layer2, const CarryOptions& options,
                       cv::Mat& mask) {
    cv::Mat difference;
    cv::absdiff(layer1, layer2, difference);
    std::vector<cv::Mat> parts;
    cv::split(difference, parts);
    cv::Mat keep;
    cv::threshold(cv::max(cv::max(parts[0], parts[1]), parts[2]), keep, options.limitThreshold, 255,
                  cv::THRESH_BINARY);
    if (options.limitWiden > 0) {
        const int side = 2 * options.limitWiden + 1;
        cv::dilate(keep, keep, cv::getStructuringElement(cv::MORPH_ELLIPSE, {side, side}));
    }
    cv::Mat kept(mask.size(), CV_8U, cv::Scalar(0));
    mask.copyTo(kept, keep);
    mask = kept;
}

}  // namespace

std::optional<GreyImage> CarryMask(const CarryPictures& pictures, int width, int height,
                                   const CarryOptions& options) {
    for (const Image* picture : {pictures.previousLayer1, pictures.layer1})
        if (!picture || picture->empty()) return std::nullopt;
    if (!pictures.previousMask || pictures.previousMask->empty()) return std::nullopt;
    if (width <= 0 || height <= 0) return std::nullopt;
    const auto usable = [](const Image* picture) { return picture && !picture->empty(); };
    // One core: a carry runs beside the frames decoded ahead and the window, and OpenCV's own
    // thread pool would be invisible to the thread checks of the tests.
    static const bool singleThreaded = [] {
        cv::setNumThreads(1);
        return true;
    }();
    (void)singleThreaded;
    try {
        const cv::Size result(width, height);
        const cv::Mat mask = FittedMask(*pictures.previousMask, result);
        const cv::Mat previous = FittedPicture(*pictures.previousLayer1, result);
        const cv::Mat current = FittedPicture(*pictures.layer1, result);
        cv::Mat plate;
        if (usable(pictures.layer2)) plate = FittedPicture(*pictures.layer2, result);
        cv::Mat previousPlate;
        if (usable(pictures.previousLayer2))
            previousPlate = FittedPicture(*pictures.previousLayer2, result);
        const bool plates = !plate.empty() && !previousPlate.empty();

        const MarkedPart marked = MarkedPartOf(mask);
        cv::Mat carried;
        if (marked.box.empty()) {
            carried = mask.clone();  // one value all over: nothing to move
        } else {
            const cv::Rect area = searchArea(marked.box, result);
            const cv::Size work = workSize(area.size(), options.workPixels);
            const cv::Mat previousPlatePart = plates ? previousPlate(area) : cv::Mat();
            const cv::Mat platePart = plates ? plate(area) : cv::Mat();
            cv::Mat previousPart =
                MotionPicture(previous(area), plates ? &previousPlatePart : nullptr,
                              options.limitThreshold, work);
            cv::Mat currentPart = MotionPicture(current(area), plates ? &platePart : nullptr,
                                                options.limitThreshold, work);
            // Takes that match their plates here show nothing to follow: the takes themselves.
            if (plates &&
                (cv::countNonZero(previousPart) == 0 || cv::countNonZero(currentPart) == 0)) {
                previousPart = MotionPicture(previous(area), nullptr, 0, work);
                currentPart = MotionPicture(current(area), nullptr, 0, work);
            }
            if (options.mode == CarryMode::Flow) {
                cv::Mat mapX;
                cv::Mat mapY;
                flowMaps(flowBetween(previousPart, currentPart), area, mapX, mapY);
                carried = cv::Mat(result, CV_8U, cv::Scalar(marked.common));
                cv::Mat part = carried(area);
                cv::remap(mask, part, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
            } else {
                cv::Mat a;
                cv::Mat b;
                previousPart.convertTo(a, CV_32F);
                currentPart.convertTo(b, CV_32F);
                cv::Mat window;
                cv::createHanningWindow(window, work, CV_32F);
                const cv::Point2d shift = cv::phaseCorrelate(a, b, window);
                const double dx = shift.x * area.width / work.width;
                const double dy = shift.y * area.height / work.height;
                const cv::Matx23d move(1, 0, dx, 0, 1, dy);
                cv::warpAffine(mask, carried, move, result, cv::INTER_LINEAR, cv::BORDER_REPLICATE);
            }
        }
        if (options.limit && !plate.empty()) limitToDifference(current, plate, options, carried);
        return GreyMaskImage(carried);
    } catch (const cv::Exception&) {
        return std::nullopt;  // no memory for OpenCV's buffers
    }
}

}  // namespace morvel
