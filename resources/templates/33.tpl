<!-- default row 33: written with its page kind -->
