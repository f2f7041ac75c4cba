#!/usr/bin/python3
# The mosaic benchmark's peer: OpenCV's stitcher in scans mode on the same frames, on one thread,
# timed in CPU time as ours is (the frames are read before the clock starts). The stitcher does not say which frames its panorama
# holds; its registration is run again through OpenCV's own pipeline pieces with the scans-mode
# settings (ORB features at 0.6 megapixels, the affine best-of-two matcher, the biggest component
# at confidence 1), untimed, to name them.
#   opencv_stitch.py DIR OUT
import glob
import sys
import time

import cv2


def main():
    folder, out = sys.argv[1], sys.argv[2]
    files = sorted(glob.glob(folder + "/frame_*.jpg"))
    images = [cv2.imread(f) for f in files]
    cv2.setNumThreads(1)  # one core, as ours is timed
    stitcher = cv2.Stitcher_create(cv2.Stitcher_SCANS)
    start, wall = time.process_time(), time.perf_counter()
    status, pano = stitcher.stitch(images)
    seconds, wall = time.process_time() - start, time.perf_counter() - wall
    used = []
    if status == cv2.Stitcher_OK:
        scale = min(1.0, (0.6e6 / (images[0].shape[0] * images[0].shape[1])) ** 0.5)
        finder = cv2.ORB.create()
        small = [cv2.resize(i, None, fx=scale, fy=scale, interpolation=cv2.INTER_LINEAR_EXACT) for i in images]
        features = cv2.detail.computeImageFeatures(finder, small)
        for k, f in enumerate(features):
            f.img_idx = k
        matcher = cv2.detail_AffineBestOf2NearestMatcher(False, False, 0.3)
        matches = matcher.apply2(features)
        matcher.collectGarbage()
        used = list(cv2.detail.leaveBiggestComponent(features, matches, 1.0))
    with open(out, "w") as f:
        f.write("status %d\n" % status)
        f.write("seconds %.3f\n" % seconds)
        f.write("wall %.3f\n" % wall)
        f.write("used " + " ".join(str(int(i)) for i in used) + "\n")
        if status == cv2.Stitcher_OK:
            f.write("size %d %d\n" % (pano.shape[1], pano.shape[0]))


if __name__ == "__main__":
    main()
