<!-- default row 53: written with its page kind -->
