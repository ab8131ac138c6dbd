<!-- default row 24: written with its page kind -->
