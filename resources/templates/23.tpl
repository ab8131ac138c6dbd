<!-- default row 23: written with its page kind -->
