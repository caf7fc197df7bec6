#pragma once

class SearchDatabase;

// The queues of a big-picture pass, made from the ticked thumbnails of a
// thumbnails search: each ticked row's link goes into the picture queue when
// it names a picture, into the page queue (level 1) when it names a page and
// `withPages` (Extended Depth) is on. Links that lost the "h" of "http" are
// mended. Every other queue, the visited pages and the running work are
// emptied, the thumbnails' files go when `deleteThumbnails` is on, and the
// picture and link rows are emptied for the big pictures to come.
// Returns the number of pictures queued.
int queueBigPictures(SearchDatabase &db, bool withPages, bool deleteThumbnails);
