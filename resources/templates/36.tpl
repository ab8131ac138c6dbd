<!-- default row 36: written with its page kind -->
